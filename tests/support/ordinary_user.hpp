// Permission checks bind ordinary users only: the superuser reads every file
// and directory whatever its mode. Tests of unreadable files run their work
// through here, so that they test the same thing under CI (which runs as
// root) as on a developer's account.
#pragma once

#include <functional>
#include <string>

namespace zav::test {

// Runs `work` as an ordinary user and returns what it returned. Under the
// superuser it runs in a child process that has given up its privileges
// (user and group "nobody"); the paths it touches must be reachable by
// everyone. Otherwise it simply runs `work`.
std::string as_ordinary_user(const std::function<std::string()>& work);

}  // namespace zav::test
