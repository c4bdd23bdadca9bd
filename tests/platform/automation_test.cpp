#include "platform/automation.h"
#include "tests/support/recording_server.h"

#include <gtest/gtest.h>

namespace {

class AutomationTest : public ::testing::Test {
protected:
    std::shared_ptr<CRecordingServer> m_server = std::make_shared<CRecordingServer>();
};

TEST_F(AutomationTest, OnlyARegisteredProgIdStartsAServerAndARegistrationEndsWithItsScope)
{
    COleDispatchDriver driver;
    EXPECT_FALSE(IsAutomationServerRegistered("Test.Application"));
    EXPECT_FALSE(driver.CreateDispatch("Test.Application"));
    {
        CAutomationRegistration registration("Test.Application", m_server->Factory());
        EXPECT_TRUE(IsAutomationServerRegistered("Test.Application"));
        EXPECT_FALSE(IsAutomationServerRegistered("Test.Other"));
        ASSERT_TRUE(driver.CreateDispatch("Test.Application"));
        EXPECT_EQ(m_server->LiveObjects(), 1);
    }
    EXPECT_FALSE(IsAutomationServerRegistered("Test.Application"));
    HRESULT status = S_OK;
    EXPECT_EQ(CreateAutomationObject("Test.Application", &status), nullptr);
    EXPECT_EQ(status, CO_E_CLASSSTRING);
    driver.ReleaseDispatch();
    EXPECT_EQ(m_server->LiveObjects(), 0);
}

TEST_F(AutomationTest, NamesAreLookedUpOnEveryCallAndAnUnknownNameFailsTheInvocation)
{
    COleDispatchDriver driver(m_server->NewObject());
    const DISPID visible = driver.LookUp(u"Visible");
    EXPECT_EQ(driver.LookUp(u"Visible"), visible);
    EXPECT_NE(driver.LookUp(u"Documents"), visible);

    m_server->DoesNotKnow("Nothing");
    const DISPID unknown = driver.LookUp(u"Nothing");
    EXPECT_EQ(unknown, DISPID_UNKNOWN);
    try {
        driver.InvokeHelper(unknown, DISPATCH_METHOD, VT_EMPTY, {});
        FAIL() << "an unknown member was carried out";
    } catch (const COleException& error) {
        EXPECT_EQ(error.m_sc, DISP_E_MEMBERNOTFOUND);
    }
}

TEST_F(AutomationTest, FailuresReachTheCallerAsTheTwoExceptionTypes)
{
    COleDispatchDriver driver(m_server->NewObject());
    m_server->Fails("SaveAs", u"ディスクがいっぱいです。");
    m_server->Fails("Quit", u"", 0, DISP_E_BADPARAMCOUNT);
    try {
        driver.InvokeHelper(driver.LookUp(u"SaveAs"), DISPATCH_METHOD, VT_EMPTY, {VARIANT::String(u"a.doc")});
        FAIL();
    } catch (const COleDispatchException& error) {
        EXPECT_TRUE(error.m_strDescription == u"ディスクがいっぱいです。");
    }
    try {
        driver.InvokeHelper(driver.LookUp(u"Quit"), DISPATCH_METHOD, VT_EMPTY, {});
        FAIL();
    } catch (const COleException& error) {
        EXPECT_EQ(error.m_sc, DISP_E_BADPARAMCOUNT);
    }
    // A driver without an object fails the same way instead of crashing.
    COleDispatchDriver empty;
    EXPECT_EQ(empty.LookUp(u"Visible"), DISPID_UNKNOWN);
    EXPECT_THROW(empty.InvokeHelper(1, DISPATCH_METHOD, VT_EMPTY, {}), COleException);
}

TEST_F(AutomationTest, ResultsAreCheckedAgainstTheTypeTheCallerExpects)
{
    COleDispatchDriver driver(m_server->NewObject());
    m_server->Returns("Count", VARIANT::Double(3.0));
    m_server->Returns("Documents", VARIANT::Long(7));
    m_server->ReturnsObject("ActiveWindow");

    EXPECT_EQ(driver.InvokeHelper(driver.LookUp(u"Count"), DISPATCH_PROPERTYGET, VT_I4, {}).lVal, 3);
    try {
        driver.InvokeHelper(driver.LookUp(u"Documents"), DISPATCH_PROPERTYGET, VT_DISPATCH, {});
        FAIL() << "a number was taken for an object";
    } catch (const COleException& error) {
        EXPECT_EQ(error.m_sc, DISP_E_TYPEMISMATCH);
    }
    const VARIANT window = driver.GetProperty(driver.LookUp(u"ActiveWindow"), VT_DISPATCH);
    ASSERT_EQ(window.vt, VT_DISPATCH);
    EXPECT_NE(window.pdispVal, nullptr);
    // Nothing scripted: an empty result, which is no object either.
    EXPECT_THROW(driver.GetProperty(driver.LookUp(u"Selection"), VT_DISPATCH), COleException);
}

TEST_F(AutomationTest, TheTranscriptShowsObjectNameKindAndArgumentsWithTheMissingArgument)
{
    COleDispatchDriver driver(m_server->NewObject());
    m_server->ReturnsObject("Documents");
    VARIANT missing = VARIANT::Missing();
    EXPECT_EQ(missing.vt, VT_ERROR);
    EXPECT_EQ(static_cast<uint32_t>(missing.scode), 0x80020004u);

    driver.SetProperty(driver.LookUp(u"Visible"), VARIANT::Bool(false));
    COleDispatchDriver documents(driver.GetProperty(driver.LookUp(u"Documents"), VT_DISPATCH).pdispVal);
    documents.InvokeHelper(documents.LookUp(u"Add"), DISPATCH_METHOD, VT_VARIANT,
                           {VARIANT::ByRef(&missing), VARIANT::Long(2), VARIANT::Float(1.5f),
                            VARIANT::Double(10.5), VARIANT::String(u"表")});
    documents.InvokeHelper(113, DISPATCH_PROPERTYPUT, VT_EMPTY, {VARIANT::Float(0)});
    EXPECT_EQ(m_server->Transcript(),
              (std::vector<std::string>{"1.Visible put(false)", "1.Documents get()",
                                        "2.Add call(&missing, 2, 1.5f, 10.5, \"表\")", "2.#113 put(0f)"}));
}

}  // namespace
