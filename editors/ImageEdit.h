#pragma once
// TdxInplaceImageEdit: a value shown as an image (and a description) from
// parallel lists: Values, Descriptions and ImageIndexes.
#include <string>

namespace qel {

class TStrings;

class TdxInplaceImageEdit {
public:
    // ListIndex: Value's position in Values (-1 when absent or without
    // Values); ImageIndex: the ImageIndexes entry at ListIndex when it is a
    // number, else ListIndex itself with DefaultImages, else -1.
    static void GetIndexesByValue(const std::string& Value, const TStrings* Values, const TStrings* ImageIndexes,
                                  bool DefaultImages, int& ListIndex, int& ImageIndex);
};

} // namespace qel
