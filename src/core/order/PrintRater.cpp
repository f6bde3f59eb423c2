#include "PrintRater.h"

#include "TOrderItem.h"
#include "app/Feedback.h"

void RateItem(TOrderItem &item, const TFormatDims &dims, IPrintRater &rater, const TOperationHooks &hooks)
{
    const TRating rating = rater.Rate(item.Bestand, ItemLengte(dims), dims.Breedte);
    item.Kwaliteit = rating.Kwaliteit;
    item.Lengte = rating.Lengte;
    if (rating.ErrorCode != 0)
        hooks.message(rater.ErrorText(rating.ErrorCode));
}
