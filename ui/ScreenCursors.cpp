#include "ScreenCursors.h"

#include <map>
#include <mutex>

namespace imvexa::ui {

namespace {

struct CursorTable {
    std::mutex lock;
    std::map<int, HCURSOR> cursors;
};

CursorTable& Table() {
    static CursorTable table;
    return table;
}

}  // namespace

void RegisterScreenCursor(int id, HCURSOR cursor) {
    CursorTable& table = Table();
    std::lock_guard guard(table.lock);
    table.cursors[id] = cursor;
}

HCURSOR ScreenCursor(int id) {
    CursorTable& table = Table();
    std::lock_guard guard(table.lock);
    const auto found = table.cursors.find(id);
    return found == table.cursors.end() ? nullptr : found->second;
}

}  // namespace imvexa::ui
