// The emulated shell link object: collects a shortcut's target, arguments and working folder
// (IShellLinkW) and saves it as a real .lnk file (IPersistFile) that Windows tools can read.
#pragma once

#include <memory>
#include <string>

#include "emulated/com/com_object.h"
#include "emulated/machine/emulated_machine.h"
#include "emulated/shell/shell_link_format.h"
#include "platform_api.h"

class ShellLink final : public PersistableObject<IShellLinkW, &IID_IShellLinkW> {
  public:
    explicit ShellLink(std::shared_ptr<EmulatedMachine> machine);

    // The target is made full against the current folder now, as Windows does, and the
    // shortcut records that full path.
    HRESULT STDMETHODCALLTYPE SetPath(LPCWSTR path) override;
    HRESULT STDMETHODCALLTYPE SetArguments(LPCWSTR arguments) override;
    HRESULT STDMETHODCALLTYPE SetWorkingDirectory(LPCWSTR directory) override;

    // Writes the shortcut to fileName, replacing a file of that name atomically. Fails when the
    // folder does not exist, the name is not a valid Windows file name, or the full path does
    // not fit MAX_PATH.
    HRESULT STDMETHODCALLTYPE Save(LPCOLESTR fileName, BOOL remember) override;

  private:
    ~ShellLink() = default;

    std::shared_ptr<EmulatedMachine> machine_;
    ShellLinkContents contents_;
};
