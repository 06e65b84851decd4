#pragma once
// While it lives, files are reached with the rights of a user without rights of its own:
// root's effective user becomes nobody (root would ignore every permission bit), or another
// chosen user and group; any user but root already is such a user. The program in a lab runs so.
#include <QString>

#include <sys/types.h>

namespace kavr::test {

class Unprivileged
{
public:
    static constexpr uid_t Nobody = 65534;
    static constexpr gid_t NoGroup = 65534;
    // Operators of the Debian package's shared Result: two users of the group users.
    static constexpr uid_t OperatorA = 1101;
    static constexpr uid_t OperatorB = 1102;
    static constexpr gid_t Users = 100;

    Unprivileged() : Unprivileged(Nobody, NoGroup) {}
    Unprivileged(uid_t user, gid_t group);
    ~Unprivileged();
    Unprivileged(const Unprivileged &) = delete;
    Unprivileged &operator=(const Unprivileged &) = delete;

    // Whether the rights can be given up here (not where user namespaces map only a few ids)
    // and such a user can reach path (every folder on the way open to all).
    static bool possible(const QString &path);
    // Hands path to that user (nobody unless said), so that it may write there.
    static void giveTo(const QString &path, uid_t user = Nobody, gid_t group = NoGroup);

private:
    bool m_switched = false;
};

} // namespace kavr::test
