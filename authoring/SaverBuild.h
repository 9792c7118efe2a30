// The file side of building savers and installers: finding the engine and
// Packwright beside the program, copying them, and the installer package
// (the built saver as entry 6, "ExeOption.txt" as entry 7). The registry, the
// shell and the dialogs are the Windows side's (authoring/win32/SaverInstall).
#pragma once
#include <string>

#include "authoring/ScenarioWriter.h"
#include "authoring/WizardOptions.h"

// The name of the entry of `folder` that is `name`: byte for byte, or in any
// letter case when anyCase; "" when there is none.
std::string findFileInFolder(const std::string& folder, const char* name, bool anyCase);
// folder joined with a file name (folder with or without its trailing separator).
std::string folderFile(const std::string& folder, const std::string& name);

enum class EngineCopy { Copied, NotFound, CopyFailed };
// Copies "engine.scr" of `folder` to target, overwriting it.
EngineCopy copyEngineFile(const std::string& folder, bool anyCase, const std::string& target);

// D:\Out\Setup.exe gives D:\Out\Setup.scr: the installer's saver beside it.
std::string installerSaverPath(const std::string& exePath);

// Everything a saver build takes from the wizard's pages.
struct SaverBuildInput {
    PackInput pack;
    TextOptionValues text;
    MakeOptionValues make;
};

// Writes "ExeOption.txt" into `folder`; false with a message when it cannot.
bool writeExeOptionFile(const std::string& folder, const SaverBuildInput& input, const PackReporter& reporter);
// Writes, appends (entry 7) and removes "ExeOption.txt"; 0 or 1.
int appendInstallOptions(PackageWriter& package, const std::string& folder, const SaverBuildInput& input,
                         const PackReporter& reporter);
// Copies Packwright of `folder` to exePath and appends the saver at saverPath
// (then removed) and the option text (written in the temporary folder). 1 when the installer holds both entries.
int buildInstaller(const std::string& folder, const std::string& exePath, const std::string& saverPath,
                   const SaverBuildInput& input, const PackReporter& reporter);
