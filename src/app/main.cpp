// nimo: the desktop application.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QLabel label("NIMO - LPG/CNG Injection System");
    label.show();
    return app.exec();
}
