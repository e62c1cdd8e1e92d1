#pragma once
// Shared set-up of the window tests: one QApplication, the per-user folder and the
// application folder in a temporary folder, recorded prompts and the real Qt pump.
#include "fake_prompts.h"
#include "gui/application.h"
#include "gui/frmMain.h"
#include "gui/frmPrinting.h"
#include "gui/qt_pump.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QUrl>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace pw::test {

QApplication& application();

class FormTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The engine form of a started application object (which shows the front window).
    gui::frmPrinting& startProgram();
    // A front window loaded on its own (no start-up) at the given twips per pixel.
    gui::frmMain& loadFront(double twipsPerPixel);
    // Ends the application object and its windows.
    void endProgram();
    // Runs the event loop until the job started by Convert has finished (a minute at most).
    void waitForJob();

    std::string cacheFolder() const;
    // Puts the built data/pdf.exe into the test's application folder.
    void installBuilder();

    QTemporaryDir dir_;
    FakePrompts prompts_;
    gui::QtMessagePump pump_;
    std::vector<QUrl> openedUrls_; // every folder and page the program opened, in order
    std::unique_ptr<gui::Application> app_;
    gui::frmPrinting* engine_ = nullptr; // the application object's engine form
};

// Sends a mouse event straight to a widget; pos is in the widget's coordinates.
void sendMouse(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons);
// Runs action once the window is shown (a modal window shows only after its opener pumps).
void whenShown(QWidget& window, std::function<void()> action);
// A point of the front window that no control covers.
QPoint bareBackground(const gui::frmMain& front);

} // namespace pw::test
