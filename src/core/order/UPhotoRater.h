#pragma once
// The program's IPrintRater: formats from the catalogue, checking and rating through the JPEG
// decoder. TPhotoBatch checks a batch of photos on the worker pool while the window thread
// takes the results in the files' order.

#include "PrintRater.h"

#include <QStringList>
#include <future>
#include <vector>

class TPenFFile;

class TPhotoRater : public IPrintRater {
public:
    explicit TPhotoRater(const TPenFFile &catalogue) : m_catalogue(catalogue) {}
    bool FindFormat(const QString &name, TFormatDims &dims) const override;
    TRating Rate(const QString &path, double lengte, double breedte) override;
    TPhotoCheck CheckPhoto(const QString &path, const TFormatDims *dims) override;
    QString ErrorText(int code) const override;

private:
    const TPenFFile &m_catalogue;
};

class TPhotoBatch {
public:
    // dims: the format the photos get (nullptr when the settings' format is unknown).
    TPhotoBatch(IPrintRater &rater, const TFormatDims *dims);
    ~TPhotoBatch();
    TPhotoBatch(const TPhotoBatch &) = delete;
    TPhotoBatch &operator=(const TPhotoBatch &) = delete;

    // Queues every path on the worker pool.
    void Start(const QStringList &paths);
    // The check of path i, waiting for it when it is not done yet.
    TPhotoCheck Result(int i);

private:
    IPrintRater &m_rater;
    bool m_hasDims;
    TFormatDims m_dims;
    std::vector<std::shared_future<TPhotoCheck>> m_results;
};
