#include "patch/patch_app.h"

#include "patch/file_version.h"
#include "patch/patch_file.h"
#include "platform/profile.h"
#include "platform/shell.h"

#include <algorithm>

namespace {

enum PatchOutcome { OUTCOME_REPLACED = 0, OUTCOME_CURRENT = 1, OUTCOME_STOPPED = 2 };

std::string Lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    return text;
}

std::u16string ConfirmationText()
{
    std::u16string text = PatchString(101);
    text.replace(text.find(u"%s"), 2, kPatchProductName);
    return text;
}

}  // namespace

bool IsSilentMode(const std::vector<std::string>& arguments)
{
    if (arguments.size() < 2)
        return false;
    const std::string first = Lowered(arguments[1]);
    return first == "/s" || first == "-s";
}

int CPatchApp::InitInstance(const std::vector<std::string>& arguments)
{
    silent = IsSilentMode(arguments);
    if (!ConfirmPatch())
        return kPatchExitCancelled;
    const int outcome = RunPatch();
    ShowPatchResult(outcome);
    return outcome == OUTCOME_STOPPED ? kPatchExitFailed : 0;
}

bool CPatchApp::ConfirmPatch() const
{
    if (silent)
        return true;
    return ShellMessageBox(ConfirmationText(), PatchString(102), MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

int CPatchApp::RunPatch() const
{
    try {
        return ApplyPatches();
    } catch (PatchError code) {
        ShowPatchError(code);
    } catch (...) {
        ShowPatchError(PATCH_ERROR_OTHER);
    }
    return OUTCOME_STOPPED;
}

void CPatchApp::ShowPatchResult(int outcome) const
{
    if (silent)
        return;
    switch (outcome) {
    case OUTCOME_REPLACED:
        ShellMessageBox(PatchString(111), PatchString(112), MB_OK | MB_ICONINFORMATION);
        break;
    case OUTCOME_CURRENT:
        ShellMessageBox(PatchString(115), PatchString(116), MB_OK | MB_ICONINFORMATION);
        break;
    default:
        ShellMessageBox(PatchString(113), PatchString(114), MB_OK | MB_ICONEXCLAMATION);
        break;
    }
}

void CPatchApp::ShowPatchError(int code) const
{
    if (!silent)
        ShellMessageBox(PatchErrorMessage(code), u"エラー", MB_OK | MB_ICONEXCLAMATION);
}

int ApplyPatches()
{
    // Every row is checked before anything is written, so a check that fails changes nothing.
    std::vector<const PATCH_ENTRY*> rows;
    std::vector<std::string> paths;
    for (const PATCH_ENTRY& row : PatchTable()) {
        std::string path;
        switch (CheckPatchEntry(row, &path)) {
        case 1:
            throw PATCH_ERROR_TOO_OLD;
        case 0:
            rows.push_back(&row);
            paths.push_back(path);
            break;
        default:
            break;
        }
    }
    if (rows.empty())
        return OUTCOME_CURRENT;
    // Rows written before a failing one stay replaced.
    for (size_t i = 0; i < rows.size(); ++i)
        WritePatchFile(paths[i], *rows[i]);
    return OUTCOME_REPLACED;
}

int CheckPatchEntry(const PATCH_ENTRY& row, std::string* path)
{
    *path = MakeTargetPath(GetInstallDir(row), row.fileName);
    return CheckFileVersion(*path, row);
}

std::string GetInstallDir(const PATCH_ENTRY& row)
{
    const std::string folder = ReadRegistryString(kPatchProductCode, row.valueName);
    // A relative folder would name files wherever the patch happens to be started.
    if (folder.empty() || folder.front() != '/')
        throw PATCH_ERROR_NOT_INSTALLED;
    return folder;
}

std::string ReadRegistryString(const char* productCode, const char* valueName)
{
    std::string value;
    if (!ReadSystemProfileString(kPatchMaker, productCode, kPatchPathKey, valueName, &value))
        return std::string();
    return value.substr(0, value.find('\0'));
}

std::string MakeTargetPath(const std::string& folder, const char* fileName)
{
    if (!folder.empty() && folder.back() == '/')
        return folder + fileName;
    return folder + "/" + fileName;
}

int CheckFileVersion(const std::string& path, const PATCH_ENTRY& row)
{
    CFileVersion version(path);
    return version.Compare(row.minimumVersion, row.targetVersion);
}

void WritePatchFile(const std::string& path, const PATCH_ENTRY& row)
{
    CPatchFile file(path);
    file.Replace(row);
}
