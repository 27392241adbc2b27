#include "FigurantStandIn.h"

#include <QApplication>
#include <QFileInfo>

// Started as `figurant "PATH"` with the project to open.
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("figurant"));
    const QStringList args = app.arguments();
    const QString project = args.size() > 1 ? QFileInfo(args[1]).absoluteFilePath() : QString();
    CFigurantStandIn window(project);
    window.show();
    return app.exec();
}
