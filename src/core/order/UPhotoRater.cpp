#include "UPhotoRater.h"

#include "catalogue/UPenF.h"
#include "imaging/UQuality.h"

#include <QThreadPool>

bool TPhotoRater::FindFormat(const QString &name, TFormatDims &dims) const
{
    const int i = m_catalogue.IndexOfFormat(name);
    if (i < 0)
        return false;
    const TFormaat &f = m_catalogue.Format(i);
    dims = TFormatDims{f.Breedte, f.Lengte, f.HasGlansMatKeuze()};
    return true;
}

TRating TPhotoRater::Rate(const QString &path, double lengte, double breedte)
{
    TRating r;
    r.Lengte = lengte;
    r.Kwaliteit = GetPrintQuality(path, r.Lengte, breedte);
    r.ErrorCode = GetQualityError();
    return r;
}

TPhotoCheck TPhotoRater::CheckPhoto(const QString &path, const TFormatDims *dims)
{
    // Without a format the rating's answer is not used, only the proof of a readable JPEG.
    const double lengte = dims ? ItemLengte(*dims) : 0.0;
    const double breedte = dims ? dims->Breedte : 10.0;
    const TAddPhotoCheck c = CheckAndRatePhoto(path, lengte, breedte);
    TPhotoCheck out;
    out.IsJpeg = c.readable;
    out.Rating = TRating{c.kwaliteit, c.lengte, c.qualityError};
    return out;
}

QString TPhotoRater::ErrorText(int code) const
{
    return QualityErrorText(code);
}

TPhotoBatch::TPhotoBatch(IPrintRater &rater, const TFormatDims *dims)
    : m_rater(rater), m_hasDims(dims != nullptr), m_dims(dims ? *dims : TFormatDims{})
{
}

TPhotoBatch::~TPhotoBatch()
{
    // The tasks use the rater: wait for every one before the batch goes.
    for (auto &f : m_results)
        f.wait();
}

void TPhotoBatch::Start(const QStringList &paths)
{
    m_results.reserve(m_results.size() + size_t(paths.size()));
    for (const QString &path : paths) {
        auto task = std::make_shared<std::packaged_task<TPhotoCheck()>>(
            [this, path] { return m_rater.CheckPhoto(path, m_hasDims ? &m_dims : nullptr); });
        m_results.push_back(task->get_future().share());
        QThreadPool::globalInstance()->start([task] { (*task)(); });
    }
}

TPhotoCheck TPhotoBatch::Result(int i)
{
    return m_results.at(size_t(i)).get();
}
