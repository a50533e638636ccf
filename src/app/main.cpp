#include <main_window/Telvaronix>

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Telvaronix"));
    QApplication::setApplicationVersion(QStringLiteral(TELVARONIX_VERSION));

    Telvaronix window;
    window.show();
    return QApplication::exec();
}
