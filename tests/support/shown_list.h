#pragma once
#include <windows.h>
#include <commctrl.h>

#include <initializer_list>
#include <utility>

#include "widgets/form.h"
#include "widgets/list_view.h"

// A list filling `form` (400 x 300, shown) with the given columns (caption, width).
inline TListView* ShownList(TForm& form, std::initializer_list<std::pair<const char*, int>> columns) {
    form.SetBounds(0, 0, 400, 300);
    auto* list = TComponent::Create<TListView>(&form);
    for (const auto& [caption, width] : columns) list->AddColumn(caption, width);
    list->SetAlign(alClient);
    list->SetParent(&form);
    form.Show();
    return list;
}

// The rows the list's window knows of, which may lag behind the list's own while updates are held.
inline int WindowRowCount(TListView& list) { return int(SendMessageA(list.Handle(), LVM_GETITEMCOUNT, 0, 0)); }
