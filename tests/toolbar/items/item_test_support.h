#pragma once
#include <memory>
#include <string>
#include <vector>

#include "toolbar/items/item.h"

// Records what an item tells its views, one readable line per notification.
class NotifyRecorder : public TTBItemObserver {
public:
    std::vector<std::string> log;
    std::function<void(TTBItemNotifyKind)> onNotify;

    void ItemNotification(TTBCustomItem* sender, bool relayed, TTBItemNotifyKind kind, int index,
                          TTBCustomItem* item) override {
        static const char* const kNames[] = {"Inserted", "Deleting", "SubitemsChanged", "BeginUpdate", "EndUpdate",
                                             "Invalidate", "InvalidateAndResize", "RecreateViewers", "NameChanged",
                                             "SubmenuImagesChanged"};
        std::string line = kNames[kind];
        if (item) line += " " + item->Name();
        if (index >= 0) line += " @" + std::to_string(index);
        if (relayed) line += " from " + sender->Name();
        log.push_back(line);
        if (onNotify) onNotify(kind);
    }
};

// A root with named children "a", "b", "c", ... owned by the root (a parent frees its children).
struct ItemTree {
    std::unique_ptr<TTBRootItem> root = std::make_unique<TTBRootItem>(nullptr);

    explicit ItemTree(int children = 0) {
        root->SetName("root");
        for (int i = 0; i < children; ++i) AddChild(root.get(), std::string(1, static_cast<char>('a' + i)));
    }
    static TTBItem* AddChild(TTBCustomItem* parent, const std::string& name) {
        auto* item = new TTBItem(nullptr);  // the parent frees it
        item->SetName(name);
        parent->Add(item);
        return item;
    }
    std::string Names() const {
        std::string names;
        for (int i = 0; i < root->Count(); ++i) names += root->Items(i)->Name();
        return names;
    }
};
