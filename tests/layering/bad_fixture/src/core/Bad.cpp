// Fixture for the layering check's self-test: this include must be refused.
#include <QMessageBox>
