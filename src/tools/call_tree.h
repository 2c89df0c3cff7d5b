// The function call tree: who a function calls (or, turned round, who calls it), built from
// the cross reference of the open files and laid out with Walker's node-positioning
// algorithm, levels running from left to right.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "analysis/cross_reference.h"

namespace tarvo::tools {

inline constexpr int kNone = -1;

// Node flags.
inline constexpr unsigned kOnPath = 4;      // the function is already on the path from the root: recursion
inline constexpr unsigned kShownAbove = 8;  // expanded at another node (`seeNode`); not again here
inline constexpr unsigned kCutDepth = 16;   // at the greatest depth: its callees are not shown
inline constexpr unsigned kCutSize = 32;    // the tree reached its node limit here: callees left out
inline constexpr unsigned kChosen = 64;     // chosen by the user: drawn inverted

struct TreeNode {
    std::string label;
    int parent = kNone, firstChild = kNone, leftSibling = kNone, rightSibling = kNone;
    int leftNeighbour = kNone;  // the node to the left on the same level (during the layout)
    int depth = 0;
    int seeNode = kNone;        // with kShownAbove: where this function is expanded
    double prelim = 0, modifier = 0;
    double width = 0;           // the label's width
    double x = 0, y = 0;        // final place of the box's left and top
    unsigned flags = 0;
};

struct TreeSettings {
    double nodeHeight = 20;
    double siblingSeparation = 3.0;
    double subtreeSeparation = 7;
    double levelSeparation = 25;
    int greatestDepth = 20;         // levels below the root
    std::size_t nodeLimit = 5000;
    double averageCharWidth = 7;    // label width = average character width x length
    double boxPadding = 4;          // on each side of the label
    double margin = 10;             // round the whole drawing
    std::size_t labelLimit = 80;
};

enum class TreeResult { Built, NotFound, NoCalls };

struct CallTree {
    std::vector<TreeNode> nodes;  // nodes[0] is the root
    bool cycle = false;           // some function calls itself through the tree
    bool cut = false;             // the node limit or the depth limit cut the tree
    double width = 0, height = 0; // of the whole drawing, margins included

    double BoxWidth(const TreeNode& n, const TreeSettings& s) const { return n.width + 2 * s.boxPadding; }
};

enum class TreeDirection { Callees, Callers };

// Builds the tree of `root` from the cross reference: the callees of each function in the
// order of their first call, each function expanded once (later occurrences are marked
// kShownAbove and point at the expanded node), recursion marked kOnPath, the depth and the
// node count capped. Callers turns it round: the children of a node are the functions that
// call it. NotFound when no scanned file defines the root (Callees) or nobody calls it and it
// is not defined (Callers); NoCalls when the root has no children.
TreeResult BuildCallTree(const analysis::CrossReference& xref, const std::string& root, TreeDirection direction,
                         const TreeSettings& settings, CallTree& tree);

// Places every node: levels left to right, each starting after the widest label of the level
// before plus the level separation; along a level, Walker's positions.
void LayOutTree(CallTree& tree, const TreeSettings& settings);

// The tree as text for tests, one node a line in pre-order:
// "<depth>\t<label>\t<flags>\t<x>,<y>" (x and y rounded).
std::string TreeText(const CallTree& tree);

// The node whose box holds the point, or kNone.
int NodeAt(const CallTree& tree, const TreeSettings& settings, double x, double y);

}  // namespace tarvo::tools
