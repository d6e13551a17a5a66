#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include <optional>
#include <type_traits>

// The one depth-first walker over the program's trees (files, rule outlines,
// loaded resources). The caller says how to get a node's children, so one
// walker serves every node type.
class TreeUtil
{
public:
    // Walks `nodes` in pre-order: each node goes to `visitor(node, parent)`
    // before its children. When the visitor answers true, the node's children
    // (`children(node)`: a QList<Node>, an optional one, or a pointer to one;
    // none is a leaf) are walked with the node as parent, then its next
    // sibling. When it answers false, the rest of that sibling list is left
    // out and the walk goes on in the level above.
    //
    // The walk runs over a copy of each list, so the visitor may change the
    // caller's lists, such as removing the node it visits. Nodes that are
    // QObject pointers are watched: one destroyed during the walk is skipped
    // with its children. A null node in a list ends that list with a log line.
    template<typename Node, typename Children, typename Visitor>
    static void enumrate(const QList<Node> &nodes, const Node &parent, const Children &children,
                         const Visitor &visitor)
    {
        walkLevel(nodes, parent, children, visitor);
    }

private:
    template<typename Node>
    static constexpr bool isQObjectPointer =
        std::is_pointer_v<Node> && std::is_base_of_v<QObject, std::remove_cv_t<std::remove_pointer_t<Node>>>;

    template<typename Node>
    static bool isNull(const Node &node)
    {
        if constexpr (requires { static_cast<bool>(node); })
            return !static_cast<bool>(node);
        else
            return false;
    }

    template<typename Node, typename Children>
    static QList<Node> childrenOf(const Children &children, const Node &node)
    {
        using Result = std::decay_t<decltype(children(node))>;
        if constexpr (std::is_pointer_v<Result>) {
            const auto *list = children(node);
            return list ? QList<Node>(*list) : QList<Node>();
        } else if constexpr (requires(Result r) { r.has_value(); *r; }) {
            const Result list = children(node);
            return list ? QList<Node>(*list) : QList<Node>();
        } else {
            return QList<Node>(children(node));
        }
    }

    // A node of the walked copy; QObject nodes are held through a guard.
    template<typename Node>
    struct Entry
    {
        Node node;
        QPointer<std::remove_cv_t<std::remove_pointer_t<Node>>> guard;
        bool wasNull;

        bool isGone() const { return !wasNull && guard.isNull(); }
    };

    static void logEndedLevel();

    template<typename Node, typename Children, typename Visitor>
    static void walkLevel(const QList<Node> &nodes, const Node &parent, const Children &children,
                          const Visitor &visitor)
    {
        if constexpr (isQObjectPointer<Node>) {
            QList<Entry<Node>> level;
            level.reserve(nodes.size());
            for (Node node : nodes)
                level.append(Entry<Node>{node, node, node == nullptr});
            for (const Entry<Node> &entry : level) {
                if (entry.wasNull) {
                    logEndedLevel();
                    return;
                }
                if (entry.isGone())
                    continue;
                if (!visitor(entry.node, parent))
                    return;
                // The visitor may have destroyed the node it was given.
                if (entry.isGone())
                    continue;
                walkLevel(childrenOf(children, entry.node), entry.node, children, visitor);
            }
        } else {
            const QList<Node> level = nodes;
            for (const Node &node : level) {
                if (isNull(node)) {
                    logEndedLevel();
                    return;
                }
                if (!visitor(node, parent))
                    return;
                walkLevel(childrenOf(children, node), node, children, visitor);
            }
        }
    }
};
