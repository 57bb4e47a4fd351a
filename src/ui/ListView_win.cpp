#include "ui/ListView_win.h"

namespace kolvane {

void ListView::Create(HWND parent, int id, Bounds bounds) {
    CreateHandle(parent, id, bounds, WC_LISTVIEWA, "",
                 WS_TABSTOP | LVS_LIST | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS, WS_EX_CLIENTEDGE);
    ListView_SetExtendedListViewStyle(Handle(), LVS_EX_GRIDLINES);
}

int ListView::Count() const {
    return ListView_GetItemCount(Handle());
}

void ListView::Add(std::string_view caption, int imageIndex) {
    std::string text(caption);
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = Count();
    item.pszText = text.data();
    item.iImage = imageIndex;
    SendMessageA(Handle(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void ListView::Delete(int index) {
    ListView_DeleteItem(Handle(), index);
}

void ListView::Clear() {
    ListView_DeleteAllItems(Handle());
}

bool ListView::Selected(int index) const {
    return ListView_GetItemState(Handle(), index, LVIS_SELECTED) & LVIS_SELECTED;
}

void ListView::SetSmallImages(HIMAGELIST images) {
    ListView_SetImageList(Handle(), images, LVSIL_SMALL);
}

}  // namespace kolvane
