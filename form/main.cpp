#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Pagewright"));
    window.resize(553, 371);
    window.show();
    return QApplication::exec();
}
