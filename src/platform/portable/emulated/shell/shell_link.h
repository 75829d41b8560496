// The emulated shell link object: collects a shortcut's target, arguments and working folder
// (IShellLinkW) and saves it as a real .lnk file (IPersistFile) that Windows tools can read, or
// loads them from such a file.
#pragma once

#include <memory>
#include <string>

#include "emulated/com/com_object.h"
#include "emulated/run_state/emulated_machine.h"
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
    // The target as recorded (flags change nothing: the emulated shell keeps no short or
    // unexpanded form); E_INVALIDARG for a null file or a count below 1.
    HRESULT STDMETHODCALLTYPE GetPath(LPWSTR file, int count, WIN32_FIND_DATAW* findData,
                                      DWORD flags) override;
    // E_INVALIDARG for null arguments or a count below 1.
    HRESULT STDMETHODCALLTYPE GetArguments(LPWSTR arguments, int count) override;

    // Writes the shortcut to fileName, replacing a file of that name atomically. Fails when the
    // folder does not exist, the name is not a valid Windows file name, or the full path does
    // not fit MAX_PATH.
    HRESULT STDMETHODCALLTYPE Save(LPCOLESTR fileName, BOOL remember) override;
    // Reads the shortcut in fileName (shell_link_reader.h): the failure of LoadShortcutFile, or
    // E_FAIL for a file that is no well-formed link; the link is unchanged on failure.
    HRESULT STDMETHODCALLTYPE Load(LPCOLESTR fileName, DWORD mode) override;

  private:
    ~ShellLink() = default;

    std::shared_ptr<EmulatedMachine> machine_;
    ShellLinkContents contents_;
};
