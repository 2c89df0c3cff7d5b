#include "tools/relations.h"

#include <algorithm>
#include <cmath>

namespace tarvo::tools {
namespace {

// Where a line from the box's centre towards (tx, ty) leaves the box.
void EdgePoint(const RelationBox& b, int tx, int ty, int& x, int& y) {
    double cx = b.x + b.width / 2.0, cy = b.y + b.height / 2.0;
    double dx = tx - cx, dy = ty - cy;
    double sx = dx == 0 ? 1e9 : (b.width / 2.0) / std::abs(dx);
    double sy = dy == 0 ? 1e9 : (b.height / 2.0) / std::abs(dy);
    double s = std::min({sx, sy, 1.0});
    x = static_cast<int>(std::lround(cx + dx * s));
    y = static_cast<int>(std::lround(cy + dy * s));
}

// Modules in the order a walk over the relations meets them, so related ones sit together.
std::vector<ModuleIndex> PlacingOrder(const XrefModel& model) {
    std::vector<ModuleIndex> order;
    std::vector<bool> placed(model.modules.size(), false);
    for (ModuleIndex start = 0; start < model.modules.size(); ++start) {
        if (placed[start]) continue;
        std::vector<ModuleIndex> queue{start};
        placed[start] = true;
        for (std::size_t k = 0; k < queue.size(); ++k) {
            ModuleIndex m = queue[k];
            order.push_back(m);
            for (const std::vector<ModuleIndex>* near : {&model.modules[m].uses, &model.modules[m].usedBy})
                for (ModuleIndex n : *near)
                    if (!placed[n]) {
                        placed[n] = true;
                        queue.push_back(n);
                    }
        }
    }
    return order;
}

}  // namespace

RelationPicture LayOutRelations(const XrefModel& model) {
    RelationPicture p;
    std::size_t n = model.modules.size();
    if (n == 0) return p;
    int columns = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(n))));
    int rows = static_cast<int>((n + columns - 1) / columns);
    p.width = columns * kRelationCellWidth;
    p.height = rows * kRelationCellHeight;
    p.boxes.resize(n);
    std::vector<ModuleIndex> order = PlacingOrder(model);
    for (std::size_t k = 0; k < n; ++k) {
        RelationBox& b = p.boxes[order[k]];
        b.module = order[k];
        b.width = kRelationBoxWidth;
        b.height = kRelationBoxHeight;
        b.x = static_cast<int>(k % columns) * kRelationCellWidth + (kRelationCellWidth - kRelationBoxWidth) / 2;
        b.y = static_cast<int>(k / columns) * kRelationCellHeight + (kRelationCellHeight - kRelationBoxHeight) / 2;
    }
    for (ModuleIndex m = 0; m < n; ++m)
        for (ModuleIndex d : model.modules[m].uses) {
            bool both = std::binary_search(model.modules[m].usedBy.begin(), model.modules[m].usedBy.end(), d);
            if (both && d < m) continue;  // drawn once, from the lower index
            RelationArrow a{m, d, 0, 0, 0, 0, both};
            const RelationBox &from = p.boxes[m], &to = p.boxes[d];
            EdgePoint(from, to.x + to.width / 2, to.y + to.height / 2, a.x1, a.y1);
            EdgePoint(to, from.x + from.width / 2, from.y + from.height / 2, a.x2, a.y2);
            p.arrows.push_back(a);
        }
    return p;
}

}  // namespace tarvo::tools
