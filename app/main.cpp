#include "app/ui/Startup.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillbook"));
    QApplication::setOrganizationName(QStringLiteral("Quillbook"));
    Startup startup;
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    if (!startup.Main(arguments))
        return 1;
    return QApplication::exec();
}
