// The start-up baseline: the least a Qt Widgets program does to put one picture on
// screen. The picture is compiled in as a Qt resource, as the real program's splash is,
// so both pay for resource lookup and JPEG decoding alike.
#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

namespace {

class PictureWindow : public QWidget {
public:
    PictureWindow() : QWidget(nullptr, Qt::FramelessWindowHint), m_picture(QStringLiteral(":/bench/splash.jpg"))
    {
        setWindowTitle(QStringLiteral("Splash Vanu Pelro Baseline"));
        setFixedSize(m_picture.size());
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).drawPixmap(0, 0, m_picture);
        // Leaves the window up long enough to be seen, then ends by itself.
        if (!m_painted)
            QTimer::singleShot(1000, qApp, &QCoreApplication::quit);
        m_painted = true;
    }

private:
    QPixmap m_picture;
    bool m_painted = false;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    PictureWindow window;
    window.show();
    return application.exec();
}
