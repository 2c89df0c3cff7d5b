#include "tools/call_tree.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>
#include <unordered_set>

namespace tarvo::tools {
namespace {

struct Builder {
    const analysis::CrossReference& xref;
    TreeDirection direction;
    const TreeSettings& settings;
    CallTree& tree;
    std::unordered_map<std::string, int> expanded;  // function -> the node where its children are
    std::unordered_set<std::string> path;

    // The children of a function, each once, in order.
    std::vector<std::string> ChildrenOf(const std::string& name) const {
        std::vector<std::string> children;
        if (direction == TreeDirection::Callees) {
            if (const analysis::XrefFunction* f = xref.Find(name)) children = f->calls;
        } else {
            std::unordered_set<std::string> seen;
            for (std::size_t i : xref.CallersOf(name))
                if (seen.insert(xref.functions[i].name).second) children.push_back(xref.functions[i].name);
        }
        return children;
    }

    bool Expandable(const std::string& name) const {
        return direction == TreeDirection::Callees ? xref.Find(name) != nullptr : !xref.CallersOf(name).empty();
    }

    int Add(const std::string& name, int parent, int depth) {
        TreeNode n;
        n.label = name.substr(0, settings.labelLimit);
        n.parent = parent;
        n.depth = depth;
        n.width = settings.averageCharWidth * static_cast<double>(n.label.size());
        int index = static_cast<int>(tree.nodes.size());
        if (parent != kNone) {
            TreeNode& p = tree.nodes[static_cast<std::size_t>(parent)];
            if (p.firstChild == kNone) {
                p.firstChild = index;
            } else {
                int last = p.firstChild;
                while (tree.nodes[static_cast<std::size_t>(last)].rightSibling != kNone)
                    last = tree.nodes[static_cast<std::size_t>(last)].rightSibling;
                tree.nodes[static_cast<std::size_t>(last)].rightSibling = index;
                n.leftSibling = last;
            }
        }
        tree.nodes.push_back(std::move(n));
        return index;
    }

    // Depth first, so that the first occurrence in reading order is the expanded one.
    void Expand(int node, const std::string& name) {
        std::vector<std::string> children = ChildrenOf(name);
        if (children.empty()) return;
        int depth = tree.nodes[static_cast<std::size_t>(node)].depth;
        if (depth >= settings.greatestDepth) {
            tree.nodes[static_cast<std::size_t>(node)].flags |= kCutDepth;
            tree.cut = true;
            return;
        }
        expanded[name] = node;
        path.insert(name);
        for (const std::string& child : children) {
            if (tree.nodes.size() >= settings.nodeLimit) {
                tree.nodes[static_cast<std::size_t>(node)].flags |= kCutSize;
                tree.cut = true;
                break;
            }
            int c = Add(child, node, depth + 1);
            TreeNode& n = tree.nodes[static_cast<std::size_t>(c)];
            if (path.count(child)) {
                n.flags |= kOnPath;
                n.seeNode = expanded[child];
                tree.cycle = true;
            } else if (auto it = expanded.find(child); it != expanded.end()) {
                n.flags |= kShownAbove;
                n.seeNode = it->second;
            } else if (Expandable(child)) {
                Expand(c, child);
            }
        }
        path.erase(name);
    }
};

// Walker's algorithm along one axis (here y); the size of every node along it is the node
// height, so the mean size of two nodes is that height.
struct Walker {
    CallTree& tree;
    const TreeSettings& s;
    std::vector<int> previousAtLevel;

    TreeNode& N(int i) { return tree.nodes[static_cast<std::size_t>(i)]; }
    bool IsLeaf(int i) { return N(i).firstChild == kNone; }
    double MeanSize() const { return s.nodeHeight; }

    void FirstWalk(int node, int level) {
        TreeNode& n = N(node);
        if (static_cast<std::size_t>(level) >= previousAtLevel.size()) previousAtLevel.resize(level + 1, kNone);
        n.leftNeighbour = previousAtLevel[static_cast<std::size_t>(level)];
        previousAtLevel[static_cast<std::size_t>(level)] = node;
        n.modifier = 0;
        if (IsLeaf(node) || level == s.greatestDepth + 1) {
            n.prelim = n.leftSibling != kNone ? N(n.leftSibling).prelim + s.siblingSeparation + MeanSize() : 0;
            return;
        }
        int last = n.firstChild;
        for (int c = n.firstChild; c != kNone; c = N(c).rightSibling) {
            FirstWalk(c, level + 1);
            last = c;
        }
        double midpoint = (N(N(node).firstChild).prelim + N(last).prelim) / 2;
        TreeNode& m = N(node);
        if (m.leftSibling != kNone) {
            m.prelim = N(m.leftSibling).prelim + s.siblingSeparation + MeanSize();
            m.modifier = m.prelim - midpoint;
            Apportion(node, level);
        } else {
            m.prelim = midpoint;
        }
    }

    int LeftmostAt(int node, int level, int depth) {
        if (level >= depth) return node;
        for (int c = N(node).firstChild; c != kNone; c = N(c).rightSibling)
            if (int found = LeftmostAt(c, level + 1, depth); found != kNone) return found;
        return kNone;
    }

    // Moves the subtree of `node` clear of the subtrees to its left, level by level, and
    // spreads the move over the siblings in between.
    void Apportion(int node, int level) {
        int leftmost = N(node).firstChild;
        int neighbour = leftmost != kNone ? N(leftmost).leftNeighbour : kNone;
        for (int compareDepth = 1; leftmost != kNone && neighbour != kNone; ) {
            double leftModsum = 0, rightModsum = 0;
            int ancestorLeftmost = leftmost, ancestorNeighbour = neighbour;
            for (int i = 0; i < compareDepth; ++i) {
                ancestorLeftmost = N(ancestorLeftmost).parent;
                ancestorNeighbour = N(ancestorNeighbour).parent;
                rightModsum += N(ancestorLeftmost).modifier;
                leftModsum += N(ancestorNeighbour).modifier;
            }
            double move = N(neighbour).prelim + leftModsum + s.subtreeSeparation + MeanSize() -
                          (N(leftmost).prelim + rightModsum);
            if (move > 0) {
                int leftSiblings = 0;
                int t = node;
                for (; t != kNone && t != ancestorNeighbour; t = N(t).leftSibling) ++leftSiblings;
                if (t == kNone) return;  // the neighbour is a cousin: the parent's own walk moves it
                double portion = move / leftSiblings;
                for (t = node; t != ancestorNeighbour; t = N(t).leftSibling) {
                    N(t).prelim += move;
                    N(t).modifier += move;
                    move -= portion;
                }
            }
            ++compareDepth;
            leftmost = IsLeaf(leftmost) ? LeftmostAt(node, 0, compareDepth) : N(leftmost).firstChild;
            neighbour = leftmost != kNone ? N(leftmost).leftNeighbour : kNone;
        }
    }

    void SecondWalk(int node, double modsum, const std::vector<double>& levelX) {
        // Iteratively: trees may be deep enough to matter for the stack of a GUI thread.
        std::vector<std::pair<int, double>> stack{{node, modsum}};
        while (!stack.empty()) {
            auto [i, sum] = stack.back();
            stack.pop_back();
            TreeNode& n = N(i);
            n.y = n.prelim + sum;
            n.x = levelX[static_cast<std::size_t>(n.depth)];
            for (int c = n.firstChild; c != kNone; c = N(c).rightSibling) stack.push_back({c, sum + n.modifier});
        }
    }
};

}  // namespace

TreeResult BuildCallTree(const analysis::CrossReference& xref, const std::string& root, TreeDirection direction,
                         const TreeSettings& settings, CallTree& tree) {
    tree = CallTree{};
    Builder b{xref, direction, settings, tree, {}, {}};
    if (!xref.Find(root) && (direction == TreeDirection::Callees || xref.CallersOf(root).empty()))
        return TreeResult::NotFound;
    b.Add(root, kNone, 0);
    b.Expand(0, root);
    if (tree.nodes.size() == 1) return TreeResult::NoCalls;
    LayOutTree(tree, settings);
    return TreeResult::Built;
}

void LayOutTree(CallTree& tree, const TreeSettings& s) {
    if (tree.nodes.empty()) return;
    Walker w{tree, s, {}};
    w.FirstWalk(0, 0);
    // Each level starts after the widest box of the level before.
    int deepest = 0;
    for (const TreeNode& n : tree.nodes) deepest = std::max(deepest, n.depth);
    std::vector<double> widest(static_cast<std::size_t>(deepest) + 1, 0);
    for (const TreeNode& n : tree.nodes)
        widest[static_cast<std::size_t>(n.depth)] = std::max(widest[static_cast<std::size_t>(n.depth)], tree.BoxWidth(n, s));
    std::vector<double> levelX(widest.size(), s.margin);
    for (std::size_t d = 1; d < levelX.size(); ++d) levelX[d] = levelX[d - 1] + widest[d - 1] + s.levelSeparation;
    w.SecondWalk(0, 0, levelX);
    double top = tree.nodes[0].y;
    for (const TreeNode& n : tree.nodes) top = std::min(top, n.y);
    double bottom = 0, right = 0;
    for (TreeNode& n : tree.nodes) {
        n.y += s.margin - top;
        bottom = std::max(bottom, n.y + s.nodeHeight);
        right = std::max(right, n.x + tree.BoxWidth(n, s));
    }
    tree.width = right + s.margin;
    tree.height = bottom + s.margin;
}

std::string TreeText(const CallTree& tree) {
    std::string text;
    std::vector<int> stack;
    if (!tree.nodes.empty()) stack.push_back(0);
    while (!stack.empty()) {
        int i = stack.back();
        stack.pop_back();
        const TreeNode& n = tree.nodes[static_cast<std::size_t>(i)];
        char place[96];
        std::snprintf(place, sizeof place, "\t%u\t%ld,%ld\n", n.flags, std::lround(n.x), std::lround(n.y));
        text += std::to_string(n.depth) + "\t" + n.label + place;
        std::vector<int> children;
        for (int c = n.firstChild; c != kNone; c = tree.nodes[static_cast<std::size_t>(c)].rightSibling) children.push_back(c);
        stack.insert(stack.end(), children.rbegin(), children.rend());
    }
    return text;
}

int NodeAt(const CallTree& tree, const TreeSettings& s, double x, double y) {
    for (std::size_t i = 0; i < tree.nodes.size(); ++i) {
        const TreeNode& n = tree.nodes[i];
        if (x >= n.x && x < n.x + tree.BoxWidth(n, s) && y >= n.y && y < n.y + s.nodeHeight) return static_cast<int>(i);
    }
    return kNone;
}

}  // namespace tarvo::tools
