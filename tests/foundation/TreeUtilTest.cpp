#include "foundation/TreeUtil.h"

#include "TestPrinters.h"

#include <QObject>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A plain tree node, held by raw pointer the way the rule outline holds rows.
struct Node
{
    QString name;
    QList<Node *> children;
    bool leafAnswersNothing = false;
};

// a(a1(a11), a2), b(b1, b2), c(c1)
class Forest
{
public:
    Forest()
    {
        Node *a = make("a"), *b = make("b"), *c = make("c");
        Node *a1 = make("a1");
        a1->children = {make("a11")};
        a->children = {a1, make("a2")};
        b->children = {make("b1"), make("b2")};
        c->children = {make("c1")};
        top = {a, b, c};
    }

    Node *make(const QString &name)
    {
        m_owned.push_back(std::make_unique<Node>(Node{name, {}}));
        return m_owned.back().get();
    }

    QList<Node *> top;

private:
    std::vector<std::unique_ptr<Node>> m_owned;
};

const QList<Node *> *childrenOf(Node *node)
{
    return node->leafAnswersNothing ? nullptr : &node->children;
}

QStringList walk(Forest &forest, const std::function<bool(Node *, Node *)> &visitor)
{
    QStringList visited;
    TreeUtil::enumrate(forest.top, static_cast<Node *>(nullptr), childrenOf, [&](Node *node, Node *parent) {
        visited << node->name + "<" + (parent ? parent->name : QStringLiteral("-"));
        return visitor(node, parent);
    });
    return visited;
}

} // namespace

TEST(TreeUtil, VisitsEveryNodeOnceParentsBeforeChildren)
{
    Forest forest;
    const QStringList visited = walk(forest, [](Node *, Node *) { return true; });
    EXPECT_EQ(visited, QStringList({"a<-", "a1<a", "a11<a1", "a2<a", "b<-", "b1<b", "b2<b", "c<-", "c1<c"}));
}

TEST(TreeUtil, NoAtTheSecondTopNodeEndsTheWalk)
{
    Forest forest;
    const QStringList visited = walk(forest, [](Node *node, Node *) { return node->name != "b"; });
    EXPECT_EQ(visited, QStringList({"a<-", "a1<a", "a11<a1", "a2<a", "b<-"}));
}

TEST(TreeUtil, NoInsideASubtreeEndsOnlyThatSiblingList)
{
    Forest forest;
    const QStringList visited = walk(forest, [](Node *node, Node *) { return node->name != "a1"; });
    // a1's children and its sibling a2 are left out; the walk goes on with b.
    EXPECT_EQ(visited, QStringList({"a<-", "a1<a", "b<-", "b1<b", "b2<b", "c<-", "c1<c"}));
}

TEST(TreeUtil, VisitorMayRemoveTheVisitedNodeFromItsList)
{
    Forest forest;
    const QStringList visited = walk(forest, [&](Node *node, Node *parent) {
        QList<Node *> &siblings = parent ? parent->children : forest.top;
        siblings.removeOne(node);
        return true;
    });
    EXPECT_EQ(visited.size(), 9);
    EXPECT_EQ(visited.last(), "c1<c");
    EXPECT_TRUE(forest.top.isEmpty());
}

TEST(TreeUtil, NodeWithoutChildrenListIsALeaf)
{
    Forest forest;
    forest.top.at(0)->leafAnswersNothing = true;
    const QStringList visited = walk(forest, [](Node *, Node *) { return true; });
    EXPECT_EQ(visited, QStringList({"a<-", "b<-", "b1<b", "b2<b", "c<-", "c1<c"}));
}

TEST(TreeUtil, NullNodeEndsItsSiblingListOnly)
{
    Forest forest;
    forest.top.at(1)->children.insert(1, nullptr);
    const QStringList visited = walk(forest, [](Node *, Node *) { return true; });
    EXPECT_EQ(visited, QStringList({"a<-", "a1<a", "a11<a1", "a2<a", "b<-", "b1<b", "c<-", "c1<c"}));
}

TEST(TreeUtil, QObjectNodeDestroyedByTheVisitorIsNotWalkedFurther)
{
    QObject root;
    auto *first = new QObject(&root);
    first->setObjectName("first");
    auto *doomed = new QObject(&root);
    doomed->setObjectName("doomed");
    (new QObject(doomed))->setObjectName("orphan");
    auto *last = new QObject(&root);
    last->setObjectName("last");
    (new QObject(last))->setObjectName("child");

    QStringList visited;
    TreeUtil::enumrate(root.children(), static_cast<QObject *>(&root),
                       [](QObject *node) { return node->children(); },
                       [&](QObject *node, QObject *) {
                           visited << node->objectName();
                           if (node->objectName() == "first")
                               delete doomed; // a later sibling goes away
                           else if (node->objectName() == "last")
                               delete node; // the visited node itself
                           return true;
                       });
    EXPECT_EQ(visited, QStringList({"first", "last"}));
    EXPECT_EQ(root.children().size(), 1);
}

TEST(TreeUtil, ChildrenMayComeAsAnOptionalList)
{
    QList<int> visited;
    TreeUtil::enumrate(QList<int>{1, 2}, 0,
                       [](int id) -> std::optional<QList<int>> {
                           if (id >= 10)
                               return std::nullopt;
                           return QList<int>{id * 10, id * 10 + 1};
                       },
                       [&](int id, int parent) {
                           visited << id * 1000 + parent;
                           return true;
                       });
    EXPECT_EQ(visited, QList<int>({1000, 10001, 11001, 2000, 20002, 21002}));
}
