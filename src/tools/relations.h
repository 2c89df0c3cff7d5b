// The layout of the "Relations" picture: one box per module on a grid, ordered so that modules
// that use each other sit near each other, and one arrow from each module to every module
// whose publics it uses. Logical units; the window scales the picture to its size.
#pragma once
#include <string>
#include <vector>

#include "tools/obj_xref.h"

namespace tarvo::tools {

struct RelationBox {
    int x = 0, y = 0, width = 0, height = 0;
    ModuleIndex module = 0;
};

struct RelationArrow {
    ModuleIndex from = 0, to = 0;  // the user, the definer
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // from the user's box edge to the definer's
    bool both = false;                  // each uses the other: one arrow with two heads
};

struct RelationPicture {
    int width = 0, height = 0;
    std::vector<RelationBox> boxes;  // by module
    std::vector<RelationArrow> arrows;
};

inline constexpr int kRelationCellWidth = 180, kRelationCellHeight = 90;
inline constexpr int kRelationBoxWidth = 140, kRelationBoxHeight = 30;

RelationPicture LayOutRelations(const XrefModel& model);

}  // namespace tarvo::tools
