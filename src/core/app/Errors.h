#pragma once
// The program's exception classes. Operations raise these; the caller that shows windows
// turns them into the Dutch message texts.

#include <QString>
#include <stdexcept>

class EKiekjesError : public std::runtime_error {
public:
    explicit EKiekjesError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const noexcept { return m_message; }

private:
    QString m_message;
};

// A file could not be opened, read or written. Names the file and what went wrong.
class EInOutError : public EKiekjesError {
public:
    EInOutError(const QString &fileName, const QString &what)
        : EKiekjesError(fileName.isEmpty() ? what : QStringLiteral("%1: %2").arg(fileName, what)),
          m_fileName(fileName), m_what(what) {}
    const QString &fileName() const noexcept { return m_fileName; }
    const QString &what_() const noexcept { return m_what; }

private:
    QString m_fileName;
    QString m_what;
};

// A value outside the range of its type (a 16-bit count below 0, a quality level above 5).
class ERangeError : public EKiekjesError {
public:
    explicit ERangeError(const QString &message = QStringLiteral("Waarde buiten het toegestane bereik"))
        : EKiekjesError(message) {}
};

// Arithmetic past the top of an unsigned 16-bit count.
class EIntOverflow : public EKiekjesError {
public:
    explicit EIntOverflow(const QString &message = QStringLiteral("Overloop bij een berekening"))
        : EKiekjesError(message) {}
};

// Numbers that do not make a valid date or time.
class EConvertError : public EKiekjesError {
public:
    explicit EConvertError(const QString &message) : EKiekjesError(message) {}
};
