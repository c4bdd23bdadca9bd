// Entry point of every test program: a headless Qt application around GoogleTest,
// so that tests may draw with fonts and images and open windows.
#include "platform/fonts.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtimeDir = QDir::tempPath() + "/qn-test-runtime";
        QDir().mkpath(runtimeDir);
        QFile::setPermissions(runtimeDir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtimeDir.toLocal8Bit());
    }
    ::testing::InitGoogleTest(&argc, argv);
    // The program's font aliases, before Qt reads the fonts.
    LoadFontAliasRules();
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
