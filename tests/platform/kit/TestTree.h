#pragma once

#include "platform/kit/OutlineDataSource.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// A small tree of named nodes serving an outline view in the tests.
struct TestNode
{
    QString name;
    TestNode *parent = nullptr;
    std::vector<std::unique_ptr<TestNode>> children;
    bool folder = false;

    TestNode *add(const QString &childName, bool isFolder = false, int at = -1)
    {
        auto node = std::make_unique<TestNode>();
        node->name = childName;
        node->parent = this;
        node->folder = isFolder;
        folder = true;
        TestNode *raw = node.get();
        if (at < 0 || at >= int(children.size()))
            children.push_back(std::move(node));
        else
            children.insert(children.begin() + at, std::move(node));
        return raw;
    }

    std::unique_ptr<TestNode> take(TestNode *child)
    {
        for (auto it = children.begin(); it != children.end(); ++it) {
            if (it->get() == child) {
                std::unique_ptr<TestNode> taken = std::move(*it);
                children.erase(it);
                taken->parent = nullptr;
                return taken;
            }
        }
        return nullptr;
    }

    void insert(std::unique_ptr<TestNode> child, int at)
    {
        child->parent = this;
        children.insert(children.begin() + qBound(0, at, int(children.size())), std::move(child));
    }

    TestNode *find(const QString &path)
    {
        TestNode *node = this;
        for (const QString &part : path.split(QLatin1Char('/'))) {
            TestNode *next = nullptr;
            for (auto &child : node->children) {
                if (child->name == part)
                    next = child.get();
            }
            if (!next)
                return nullptr;
            node = next;
        }
        return node;
    }
};

class TestTreeSource : public OutlineDataSource
{
public:
    TestNode root;
    int childQuestions = 0;

    TestNode *node(void *item) { return item ? static_cast<TestNode *>(item) : &root; }

    int numberOfChildrenOfItem(OutlineView *, void *item) override
    {
        return int(node(item)->children.size());
    }
    void *childOfItem(OutlineView *, int index, void *item) override
    {
        ++childQuestions;
        return node(item)->children[size_t(index)].get();
    }
    bool isItemExpandable(OutlineView *, void *item) override { return node(item)->folder; }
    QVariant objectValueForTableColumn(OutlineView *, int, void *item, int role) override
    {
        if (role == Qt::DisplayRole)
            return node(item)->name;
        return {};
    }
};
