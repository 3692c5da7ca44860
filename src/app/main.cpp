#include "navigation/SettingsValues.h"
#include "reader/Tavolex1.h"

#include <QApplication>
#include <QProcessEnvironment>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavolex"));
    QApplication::setApplicationVersion(QStringLiteral(TAVOLEX_VERSION));
    const QString programDir = QApplication::applicationDirPath();
    const QString settingsPath = settingsFilePath(programDir, folderAccess(programDir),
                                                  QProcessEnvironment::systemEnvironment());
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    TForm1 form(settingsPath, programDir, arguments);
    if (form.noFontsLeft())
        return 0;
    form.show();
    return app.exec();
}
