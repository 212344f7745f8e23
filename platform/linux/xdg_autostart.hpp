#pragma once

#include <string>

#include "platform/autostart.hpp"

namespace orvessa {

// Start with the session through a desktop entry in $XDG_CONFIG_HOME/autostart, named as
// the program's own desktop entry so that it overrides a system-wide one of that name.
// The folders are found from the environment at every call.
class XdgAutostart : public Autostart {
 public:
  // template_path: the entry shipped with the program; program_path: what Exec starts.
  XdgAutostart(std::string template_path, std::string program_path);

  // $XDG_CONFIG_HOME/autostart, else ~/.config/autostart; empty when neither is known.
  std::string Folder() const;
  bool IsEnabled() const override;
  std::string Enable() override;
  std::string Disable() override;

  static constexpr const char* kEntryName = "org.orvessa.Orvessa.desktop";

 private:
  std::string UserEntry() const;
  // The first system-wide entry of our name, in $XDG_CONFIG_DIRS order; empty when none.
  std::string SystemEntry() const;
  std::string Write(const std::string& contents) const;

  std::string template_path_;
  std::string program_path_;
};

// The program path as an Exec value: quoted when it holds a reserved character, with the
// escapes both the Exec rules and the string rules of desktop entries ask for.
std::string ExecValue(const std::string& program_path);

}  // namespace orvessa
