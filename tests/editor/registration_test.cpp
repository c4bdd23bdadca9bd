// Registration: the keys and values written for the document type and the sibling servers.
#include "editor/registration.h"

#include "platform/codepage.h"
#include "platform/profile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

std::string Value(const CClassRegistry& registry, const std::string& key, const std::string& name = "")
{
    std::string value;
    return registry.QueryValue(key, name, &value) ? value : "<absent>";
}

class RegistrationTest : public ::testing::Test {
protected:
    RegistrationTest() : m_registry((m_dir.path() + "/classes.ini").toStdString()) {}
    QTemporaryDir m_dir;
    CClassRegistry m_registry;
};

const std::string kTitle = WideToCp932(u"Lumetra　生物 - 問題作成エディタ");

}  // namespace

TEST_F(RegistrationTest, TheDocumentTypeGetsItsShellKeys)
{
    RegisterDocumentShellKeys(m_registry, "/opt/lumetra/Tarsel", kTitle, true);
    EXPECT_EQ(Value(m_registry, "Tarsel.Document"), kTitle);
    EXPECT_EQ(Value(m_registry, "Tarsel.Document\\DefaultIcon"), "/opt/lumetra/Tarsel,1");
    EXPECT_EQ(Value(m_registry, "Tarsel.Document\\shell\\open\\command"), "/opt/lumetra/Tarsel \"%1\"");
    EXPECT_EQ(Value(m_registry, ".qns"), "Tarsel.Document");
}

TEST_F(RegistrationTest, TheExtensionIsTakenOnlyWhenFreeOrOurs)
{
    struct Case {
        const char* before;  // null: absent
        const char* after;
    } const cases[] = {
        {nullptr, "Tarsel.Document"},
        {"", "Tarsel.Document"},
        {"Tarsel.Document", "Tarsel.Document"},
        {"Other.Document", "Other.Document"},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        CClassRegistry registry((dir.path() + "/classes.ini").toStdString());
        if (c.before)
            registry.SetValue(".qns", "", c.before);
        RegisterDocumentShellKeys(registry, "/p/Tarsel", kTitle, true);
        EXPECT_EQ(Value(registry, ".qns"), c.after) << (c.before ? c.before : "absent");
        EXPECT_EQ(Value(registry, "Tarsel.Document"), kTitle);
    }
}

TEST_F(RegistrationTest, WithoutIconsNoIconKeyIsWritten)
{
    RegisterDocumentShellKeys(m_registry, "/p/Tarsel", kTitle, false);
    EXPECT_FALSE(m_registry.KeyExists("Tarsel.Document\\DefaultIcon"));
    EXPECT_EQ(Value(m_registry, "Tarsel.Document\\shell\\open\\command"), "/p/Tarsel \"%1\"");
}

TEST_F(RegistrationTest, AFailingRegistryStopsNothingElse)
{
    m_registry.SetReadOnly(true);
    RegisterDocumentShellKeys(m_registry, "/p/Tarsel", kTitle, true);
    RegisterFormulaEditorServer(m_registry, "/p/");
    EXPECT_FALSE(m_registry.KeyExists("Tarsel.Document"));
}

TEST_F(RegistrationTest, EachServerWritesItsEighteenKeys)
{
    RegisterFigureEditorServer(m_registry, "/opt/lumetra/");
    RegisterFormulaEditorServer(m_registry, "/opt/lumetra/");
    struct Server {
        const char* program;
        const char* extension;
        const char* progId;
        const char16_t* userType;
        const char* clsid;
        const char* shortName;
    } const servers[] = {
        {"/opt/lumetra/Vumat", ".qni", "Vumat.Document", u"Orvellan　数式エディタ",
         "{5B1E7C42-3A9D-4F06-B2C8-6D14E09A73F5}", "Vumat"},
        {"/opt/lumetra/Kiran", ".qnz", "Kiran.Document", u"Orvellan　図形エディタ",
         "{3F86B0D4-C21E-47A9-85D3-E90B6A4F12C8}", "Kiran"},
    };
    for (const Server& s : servers) {
        const std::string g = s.progId;
        const std::string c = std::string("CLSID\\") + s.clsid;
        const std::string u = WideToCp932(s.userType);
        const std::string e = s.program;
        EXPECT_EQ(Value(m_registry, s.extension), g);
        EXPECT_EQ(Value(m_registry, g + "\\shell\\open\\command"), e + " %1");
        EXPECT_EQ(Value(m_registry, g), u);
        EXPECT_EQ(Value(m_registry, g + "\\protocol\\StdFileEditing\\server"), e);
        EXPECT_EQ(Value(m_registry, g + "\\protocol\\StdFileEditing\\verb\\0"), "&Edit");
        EXPECT_TRUE(m_registry.KeyExists(g + "\\Insertable"));
        EXPECT_EQ(Value(m_registry, g + "\\Insertable"), "<absent>");
        EXPECT_EQ(Value(m_registry, g + "\\CLSID"), s.clsid);
        EXPECT_EQ(Value(m_registry, c), u);
        EXPECT_EQ(Value(m_registry, c + "\\DefaultIcon"), e + ",1");
        EXPECT_EQ(Value(m_registry, c + "\\LocalServer32"), e);
        EXPECT_EQ(Value(m_registry, c + "\\ProgId"), g);
        EXPECT_EQ(Value(m_registry, c + "\\MiscStatus"), "32");
        EXPECT_EQ(Value(m_registry, c + "\\AuxUserType\\3"), s.shortName);
        EXPECT_EQ(Value(m_registry, c + "\\AuxUserType\\2"), u);
        EXPECT_TRUE(m_registry.KeyExists(c + "\\Insertable"));
        EXPECT_EQ(Value(m_registry, c + "\\verb\\1"), "&Open,0,2");
        EXPECT_EQ(Value(m_registry, c + "\\verb\\0"), "&Edit,0,2");
        EXPECT_EQ(Value(m_registry, c + "\\InprocHandler32"), "ole32.dll");
    }
}

// Every start registers again: the same keys leave the file untouched, a moved program rewrites it.
TEST_F(RegistrationTest, RegisteringAgainWritesOnlyWhatChanged)
{
    const std::string file = (m_dir.path() + "/start.ini").toStdString();
    const QDateTime old = QDateTime::fromSecsSinceEpoch(1000000000);
    auto registerAt = [&](const std::string& folder) {
        CClassRegistry registry(file);
        RegisterFormulaEditorServer(registry, folder);
        RegisterDocumentShellKeys(registry, folder + "Tarsel", kTitle, true);
        EXPECT_TRUE(registry.Flush());
        std::string command;
        EXPECT_TRUE(registry.QueryValue("Tarsel.Document\\shell\\open\\command", "", &command));
        return command;
    };
    auto age = [&] {
        QFile stamped(QString::fromStdString(file));
        ASSERT_TRUE(stamped.open(QIODevice::ReadWrite));
        ASSERT_TRUE(stamped.setFileTime(old, QFileDevice::FileModificationTime));
    };
    registerAt("/opt/lumetra/");
    age();
    EXPECT_EQ(registerAt("/opt/lumetra/"), "/opt/lumetra/Tarsel \"%1\"");
    EXPECT_EQ(QFileInfo(QString::fromStdString(file)).lastModified(), old);
    EXPECT_EQ(registerAt("/usr/local/lumetra/"), "/usr/local/lumetra/Tarsel \"%1\"");
    EXPECT_NE(QFileInfo(QString::fromStdString(file)).lastModified(), old);
}
