#include "editors/ImageEdit.h"

#include "platform/core/Locale.h"
#include "platform/core/Strings.h"

namespace qel {

void TdxInplaceImageEdit::GetIndexesByValue(const std::string& Value, const TStrings* Values,
                                            const TStrings* ImageIndexes, bool DefaultImages, int& ListIndex,
                                            int& ImageIndex)
{
    ListIndex = Values ? Values->IndexOf(Value) : -1;
    ImageIndex = -1;
    if (ListIndex < 0)
        return;
    std::int32_t index = -1;
    if (ImageIndexes && ListIndex < ImageIndexes->Count() && TryStrToInt(ImageIndexes->Get(ListIndex), index) &&
        index >= 0)
        ImageIndex = index;
    else if (DefaultImages)
        ImageIndex = ListIndex;
}

} // namespace qel
