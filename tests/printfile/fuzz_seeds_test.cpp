// The fuzz targets start from their seeds: a class no seed holds is reached by mutation alone, if
// ever. Every class the problem editor streams must stand in a node-list seed, and every class a
// paper can hold must come out of a print-file seed.
#include "tests/printfile/printfile_fixture.h"

#include "base/xml_node.h"
#include "nodes/edit_print.h"
#include "nodes/node_archive.h"
#include "platform/archive.h"
#include "printfile/print_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace {

using namespace printfiletest;

std::vector<std::string> SeedFiles(const char* target)
{
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(QN_FUZZ_SEED_DIR) + "/" + target))
        files.push_back(entry.path().string());
    return files;
}

void CollectClasses(const CEditNode* node, std::set<std::string>* found)
{
    found->insert(node->GetRuntimeClass()->m_lpszClassName);
    for (int i = 0; i < node->GetChildCount(); ++i)
        CollectClasses(node->GetEditChild(i), found);
}

std::vector<std::string> Missing(const std::vector<std::string>& wanted, const std::set<std::string>& found,
                                 const std::set<std::string>& exempt = {})
{
    std::vector<std::string> missing;
    for (const std::string& name : wanted)
        if (!found.count(name) && !exempt.count(name))
            missing.push_back(name);
    return missing;
}

class FuzzSeeds : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterPaperFaces(); }
};

// The node-list mode of the archive target (first byte 3 modulo 4) and every paste seed read a
// node list after their first byte.
TEST_F(FuzzSeeds, NodeListSeedsHoldEveryStreamedNodeClass)
{
    std::set<std::string> found;
    for (const char* target : {"archive", "paste"}) {
        for (const std::string& path : SeedFiles(target)) {
            const std::string bytes = ReadBytes(path);
            if (bytes.empty() || (std::string_view(target) == "archive" && static_cast<BYTE>(bytes[0]) % 4 != 3))
                continue;
            const auto* data = reinterpret_cast<const BYTE*>(bytes.data());
            for (const auto& node : NodeListFromBytes(std::span<const BYTE>(data + 1, bytes.size() - 1)))
                CollectClasses(node.get(), &found);
        }
    }
    std::vector<std::string> nodeClasses;
    for (const std::string& name : ProgramClassRegistry().ClassNames()) {
        const CRuntimeClass* runtimeClass = ProgramClassRegistry().Find(name);
        if (runtimeClass->IsDerivedFrom(RUNTIME_CLASS(CEditNode)))
            nodeClasses.push_back(name);
    }
    // The abstract base is registered for reading old lists but never written as itself.
    EXPECT_EQ(Missing(nodeClasses, found, {"CEditNode"}), std::vector<std::string>{});
}

TEST_F(FuzzSeeds, PrintFileSeedsHoldEveryClassAPaperHolds)
{
    std::set<std::string> found;
    MessageRecorder quiet;
    for (const std::string& path : SeedFiles("print_file")) {
        CEditPrint root;
        ASSERT_TRUE(LoadXmlFile(&root, path)) << path;
        CollectClasses(&root, &found);
        CollectClasses(root.GetNameFieldLayer(), &found);
        if (root.GetNameFieldTemplate() != nullptr)
            CollectClasses(root.GetNameFieldTemplate(), &found);
    }
    std::vector<std::string> nodeClasses;
    for (const std::string& name : ProgramClassRegistry().ClassNames()) {
        if (ProgramClassRegistry().Find(name)->IsDerivedFrom(RUNTIME_CLASS(CEditNode)))
            nodeClasses.push_back(name);
    }
    // The abstract bases, the roots of the reading-mark and formula editing windows, and objects,
    // whose data a one-file seed cannot carry (it lives in a side file beside the paper).
    const std::set<std::string> notInAPaper = {"CEditNode",     "CEditContainer", "CEditMathContainer", "CEditEdit",
                                               "CEditEditKan",  "CEditEditMath",  "CEditObject"};
    EXPECT_EQ(Missing(nodeClasses, found, notInAPaper), std::vector<std::string>{});
}

}  // namespace
