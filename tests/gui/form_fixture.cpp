#include "form_fixture.h"

#include "gui/app_state.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QTimer>

namespace pw::test {

QApplication& application() {
    static int argc = 1;
    static char name[] = "form_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

void FormTest::SetUp() {
    application();
    ASSERT_TRUE(dir_.isValid());
    QDir(dir_.path()).mkpath(QStringLiteral("cache"));
    QDir(dir_.path()).mkpath(QStringLiteral("app"));
    qputenv("XDG_CACHE_HOME", (dir_.path() + QStringLiteral("/cache")).toUtf8());
    platform::setApplicationFolder((dir_.path() + QStringLiteral("/app")).toStdString());
    gui::QuitRequested = false;
    gui::OnePdfPerPicture = false;
}

void FormTest::TearDown() {
    endProgram();
    platform::setApplicationFolder(std::string());
}

std::string FormTest::cacheFolder() const {
    return (dir_.path() + QStringLiteral("/cache")).toStdString();
}

void FormTest::installBuilder() {
    const QString data = dir_.path() + QStringLiteral("/app/data");
    ASSERT_TRUE(QDir().mkpath(data));
    ASSERT_TRUE(QFile::copy(QStringLiteral(PW_TEST_DATA_DIR "/pdf.exe"),
                            data + QStringLiteral("/pdf.exe")));
    QFile::setPermissions(data + QStringLiteral("/pdf.exe"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void FormTest::endProgram() {
    engine_ = nullptr;
    app_.reset();
}

gui::frmPrinting& FormTest::startProgram() {
    app_ = std::make_unique<gui::Application>(prompts_, pump_);
    engine_ = &app_->settingWindow();
    engine_->urlOpener = [this](const QUrl& url) {
        openedUrls_.push_back(url);
        return true;
    };
    EXPECT_TRUE(app_->start());
    // Let the front window's first tick run, as it does long before a user can act.
    if (gui::frmMain* front = engine_->front()) {
        QTimer guard;
        guard.start(10000);
        while (front->Timer1->isActive() && guard.isActive())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return *engine_;
}

gui::frmMain& FormTest::loadFront(double twipsPerPixel) {
    app_ = std::make_unique<gui::Application>(prompts_, pump_);
    engine_ = &app_->settingWindow();
    engine_->urlOpener = [this](const QUrl& url) {
        openedUrls_.push_back(url);
        return true;
    };
    gui::frmMain& front = app_->makeFront();
    front.setScreenScale({twipsPerPixel, twipsPerPixel});
    front.Form_Load();
    return front;
}

void FormTest::waitForJob() {
    QTimer guard;
    guard.setSingleShot(true);
    guard.start(60000);
    while (app_ && app_->jobRunning() && guard.isActive())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    EXPECT_FALSE(app_ && app_->jobRunning()) << "the job did not end";
}

void sendMouse(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    const QPointF local(pos);
    QMouseEvent event(type, local, widget->mapToGlobal(local), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void whenShown(QWidget& window, std::function<void()> action) {
    auto* poll = new QTimer(&window);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, &window, action = std::move(action)] {
        if (!window.isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        action();
    });
    poll->start(5);
}

QPoint bareBackground(const gui::frmMain& front) {
    for (int y = 5; y < front.height(); y += 7) {
        for (int x = 5; x < front.width(); x += 7) {
            if (front.childAt(x, y) == nullptr)
                return {x, y};
        }
    }
    return {-1, -1};
}

} // namespace pw::test
