// The yardstick of the start-up benchmark: the least a Qt program does to show
// one window, ending at its first paint (on the spot, once it has been
// flushed) as Quillbook does under QUILLBOOK_EXIT_AFTER_PAINT.
#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {

class FirstPaint : public QMainWindow {
protected:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, [] {
                std::fflush(nullptr);
                std::exit(0);
            });
        return QMainWindow::event(e);
    }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    FirstPaint window;
    window.resize(900, 700);
    window.show();
    return QApplication::exec();
}
