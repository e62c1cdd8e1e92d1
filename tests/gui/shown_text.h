#pragma once
// A list row's line once the page counts it asks for have come from their worker.
#include "gui/picture_list_view.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <string>

namespace pw::test {

inline std::string shownTextCounted(const gui::PictureListView& view, int row) {
    view.shownText(row);
    QElapsedTimer waited;
    waited.start();
    while (view.pageCountsPending() && waited.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    return view.shownText(row).toStdString();
}

} // namespace pw::test
