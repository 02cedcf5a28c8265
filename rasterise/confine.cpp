#include "rasterise/confine.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <vector>

#include <fcntl.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace confine {

namespace {

// Where the architecture's system-call numbers start: MIPS counts from its own base.
#if defined(__mips__)
constexpr long SyscallBase = __NR_Linux;
#else
constexpr long SyscallBase = 0;
#endif

// Landlock's interface, as the kernel defines it; written out here because the system's headers
// may be older than the kernel.
namespace landlock {
#ifndef __NR_landlock_create_ruleset
constexpr long CreateRuleset = SyscallBase + 444;
constexpr long AddRule = SyscallBase + 445;
constexpr long RestrictSelf = SyscallBase + 446;
#else
constexpr long CreateRuleset = __NR_landlock_create_ruleset;
constexpr long AddRule = __NR_landlock_add_rule;
constexpr long RestrictSelf = __NR_landlock_restrict_self;
#endif
constexpr unsigned AskVersion = 1U << 0;
constexpr int PathBeneath = 1;

struct RulesetAttr {
    std::uint64_t handledAccessFs;
    std::uint64_t handledAccessNet; // ABI 4
    std::uint64_t scoped;           // ABI 6
};
struct __attribute__((packed)) PathBeneathAttr {
    std::uint64_t allowedAccess;
    std::int32_t parentFd;
};

namespace fs {
constexpr std::uint64_t Execute = 1ULL << 0;
constexpr std::uint64_t WriteFile = 1ULL << 1;
constexpr std::uint64_t ReadFile = 1ULL << 2;
constexpr std::uint64_t ReadDir = 1ULL << 3;
constexpr std::uint64_t RemoveDir = 1ULL << 4;
constexpr std::uint64_t RemoveFile = 1ULL << 5;
constexpr std::uint64_t MakeDir = 1ULL << 7;
constexpr std::uint64_t MakeReg = 1ULL << 8;
constexpr std::uint64_t AbiOne = (1ULL << 13) - 1; // execute .. make symbolic link
constexpr std::uint64_t Refer = 1ULL << 13;        // ABI 2
constexpr std::uint64_t Truncate = 1ULL << 14;     // ABI 3
constexpr std::uint64_t IoctlDev = 1ULL << 15;     // ABI 5
// The rights a rule on a file (not a folder) may carry.
constexpr std::uint64_t OfFiles = Execute | WriteFile | ReadFile | Truncate | IoctlDev;
} // namespace fs
constexpr std::uint64_t BindTcp = 1ULL << 0;           // ABI 4
constexpr std::uint64_t ConnectTcp = 1ULL << 1;        // ABI 4
constexpr std::uint64_t ScopeAbstractUnix = 1ULL << 0; // ABI 6
constexpr std::uint64_t ScopeSignal = 1ULL << 1;       // ABI 6
} // namespace landlock

std::uint64_t HandledFs(int abi) {
    using namespace landlock::fs;
    return AbiOne | (abi >= 2 ? Refer : 0) | (abi >= 3 ? Truncate : 0) | (abi >= 5 ? IoctlDev : 0);
}

// Where Ghostscript's programs, libraries, configuration and fonts are.
// clang-format off
const char* const SystemFolders[] = {"/usr", "/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32",
                                     "/etc", "/opt", "/var/lib/ghostscript", "/var/cache/fontconfig"};
// clang-format on

struct FdCloser {
    int fd;
    ~FdCloser() {
        if (fd >= 0)
            ::close(fd);
    }
};

// Adds a rule granting `access` beneath `path`. A path that does not exist is no error: it
// grants nothing.
bool AddPathRule(int ruleset, const char* path, std::uint64_t access, std::uint64_t handled,
                 std::string& error) {
    const FdCloser target{::open(path, O_PATH | O_CLOEXEC)};
    if (target.fd < 0)
        return errno == ENOENT || errno == ENOTDIR;
    struct stat st {};
    if (::fstat(target.fd, &st) != 0)
        return true;
    if (!S_ISDIR(st.st_mode))
        access &= landlock::fs::OfFiles;
    const landlock::PathBeneathAttr rule{access & handled, target.fd};
    if (::syscall(landlock::AddRule, ruleset, landlock::PathBeneath, &rule, 0) == 0)
        return true;
    error = std::string("a rule for ") + path + " cannot be made: " + std::strerror(errno);
    return false;
}

// The audit architecture of the calls this program makes, which the system-call filter checks
// first: one of those Debian releases for, or 0 where the filter does not know the processor.
#if defined(__x86_64__)
constexpr std::uint32_t Architecture = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr std::uint32_t Architecture = AUDIT_ARCH_AARCH64;
#elif defined(__arm__) && !defined(__ARMEB__)
constexpr std::uint32_t Architecture = AUDIT_ARCH_ARM; // armel and armhf
#elif defined(__i386__)
constexpr std::uint32_t Architecture = AUDIT_ARCH_I386;
#elif defined(__mips__) && defined(__MIPSEL__) && _MIPS_SIM == _ABI64
constexpr std::uint32_t Architecture = AUDIT_ARCH_MIPSEL64;
#elif defined(__powerpc64__) && defined(__LITTLE_ENDIAN__)
constexpr std::uint32_t Architecture = AUDIT_ARCH_PPC64LE;
#elif defined(__riscv) && __riscv_xlen == 64
constexpr std::uint32_t Architecture = AUDIT_ARCH_RISCV64;
#elif defined(__s390x__)
constexpr std::uint32_t Architecture = AUDIT_ARCH_S390X;
#else
constexpr std::uint32_t Architecture = 0;
#endif

// The calls refused with EACCES. Which of the older calls exist differs from one architecture to
// the next, so each is named where the system's headers define it; the newest calls carry the
// same number everywhere, after the architecture's base (MIPS counts from its own).
std::vector<long> RefusedCalls() {
    constexpr long Base = SyscallBase;
    return {__NR_socket, // every kind: network, local and desktop-bus sockets alike
#ifdef __NR_socketcall
            __NR_socketcall, // the one call behind every socket call on some 32-bit systems
#endif
            Base + 425, // io_uring_setup: it could open sockets past this filter
#ifdef __NR_chmod
            __NR_chmod,
#endif
#ifdef __NR_chown
            __NR_chown,
#endif
#ifdef __NR_lchown
            __NR_lchown,
#endif
#ifdef __NR_chown32 // the 32-bit owner calls of i386 and arm
            __NR_chown32, __NR_lchown32, __NR_fchown32,
#endif
#ifdef __NR_utime
            __NR_utime,
#endif
#ifdef __NR_utimes
            __NR_utimes,
#endif
#ifdef __NR_futimesat
            __NR_futimesat,
#endif
#ifdef __NR_utimensat_time64 // 32-bit systems with 64-bit times
            __NR_utimensat_time64,
#endif
#ifdef __NR_truncate64
            __NR_truncate64,
#endif
            __NR_fchmod, __NR_fchmodat,
            Base + 452, // fchmodat2
            // What Landlock does not govern: owners, access lists and other extended attributes,
            // times, and (before its ABI 3) cutting a file short by its path.
            __NR_fchown, __NR_fchownat, __NR_setxattr, __NR_lsetxattr, __NR_fsetxattr,
            __NR_removexattr, __NR_lremovexattr, __NR_fremovexattr,
            Base + 463, // setxattrat
            Base + 466, // removexattrat
            __NR_utimensat, __NR_truncate,
            // The user's keys, which every process of the session may read and change.
            __NR_keyctl, __NR_add_key, __NR_request_key, __NR_ptrace, __NR_process_vm_readv,
            __NR_process_vm_writev};
}

// The start of every seccomp program here: calls of any other architecture than this
// program's (32-bit calls on a 64-bit system, x32 calls) end the process; then the call's number
// is loaded for the tests that follow.
std::vector<sock_filter> ArchitectureCheck() {
    std::vector<sock_filter> program{
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, Architecture, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr))};
#if defined(__x86_64__)
    // The x32 calling convention: the same calls with a high bit set.
    program.push_back(BPF_JUMP(BPF_JMP | BPF_JGE | BPF_K, 0x40000000, 0, 1));
    program.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS));
#endif
    return program;
}

sock_filter Answer(int error) {
    return BPF_STMT(BPF_RET | BPF_K,
                    static_cast<std::uint32_t>(SECCOMP_RET_ERRNO | (error & SECCOMP_RET_DATA)));
}

// Answers `error` to `call`.
void Refuse(std::vector<sock_filter>& program, long call, int error) {
    program.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<std::uint32_t>(call), 0, 1));
    program.push_back(Answer(error));
}

// Where clone's flags are among its arguments (s390 has the stack first), and the offset of their
// lower 32 bits in the call's data.
#if defined(__s390__)
constexpr int CloneFlagsArgument = 1;
#else
constexpr int CloneFlagsArgument = 0;
#endif
constexpr std::uint32_t CloneFlagsOffset = offsetof(seccomp_data, args) +
                                           CloneFlagsArgument * sizeof(std::uint64_t) +
                                           (__BYTE_ORDER__ == __ORDER_BIG_ENDIAN__ ? 4 : 0);

// The seccomp program: the refused calls answer EACCES. Empty where the architecture is not
// known.
std::vector<sock_filter> FilterProgram() {
    if (Architecture == 0)
        return {};
    std::vector<sock_filter> program = ArchitectureCheck();
    for (const long call : RefusedCalls())
        Refuse(program, call, EACCES);
    program.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    return program;
}

} // namespace

std::string Confinement::describe() const {
    std::string text;
    if (landlockAbi <= 0) {
        text = "no Landlock on this system: files, TCP ports and signals are not confined";
    } else {
        text = "Landlock ABI " + std::to_string(landlockAbi) + ": files";
        if (landlockAbi >= 4)
            text += ", TCP ports";
        if (landlockAbi >= 6)
            text += ", abstract sockets, signals";
    }
    if (!filter.empty())
        text += "; system calls: no sockets, no changes to permissions, owners, attributes or "
                "times, no keys, no tracing";
    else if (Architecture == 0)
        text += "; no system-call filter for this processor's architecture";
    else
        text += "; no system-call filter on this system";
    return "confinement: " + text;
}

Confinement ProbeConfinement() {
    Confinement confinement;
    const long abi = ::syscall(landlock::CreateRuleset, nullptr, 0, landlock::AskVersion);
    confinement.landlockAbi = abi > 0 ? static_cast<int>(abi) : 0;
    if (::prctl(PR_GET_SECCOMP) >= 0)
        confinement.filter = FilterProgram();
    return confinement;
}

int MakeRuleset(const Confinement& confinement, const std::string& workingFolder,
                const std::string& temporaryFolder, std::string& error) {
    const int abi = confinement.landlockAbi;
    if (abi <= 0)
        return -1;
    using namespace landlock::fs;
    const std::uint64_t handled = HandledFs(abi);
    landlock::RulesetAttr attributes{handled, 0, 0};
    if (abi >= 4)
        attributes.handledAccessNet = landlock::BindTcp | landlock::ConnectTcp;
    if (abi >= 6)
        attributes.scoped = landlock::ScopeAbstractUnix | landlock::ScopeSignal;
    const int ruleset =
        static_cast<int>(::syscall(landlock::CreateRuleset, &attributes, sizeof attributes, 0));
    if (ruleset < 0) {
        error = std::string("no Landlock ruleset can be made: ") + std::strerror(errno);
        return -2;
    }
    const std::uint64_t read = ReadFile | ReadDir | Execute;
    bool made = true;
    for (const char* folder : SystemFolders)
        made = made && AddPathRule(ruleset, folder, read, handled, error);
    made =
        made && AddPathRule(ruleset, "/dev/null", ReadFile | WriteFile | Truncate, handled, error);
    for (const char* device : {"/dev/zero", "/dev/random", "/dev/urandom"})
        made = made && AddPathRule(ruleset, device, ReadFile, handled, error);
    made = made && AddPathRule(ruleset, workingFolder.c_str(),
                               read | WriteFile | MakeReg | Truncate, handled, error);
    made = made && AddPathRule(ruleset, temporaryFolder.c_str(),
                               ReadFile | ReadDir | WriteFile | MakeReg | MakeDir | RemoveFile |
                                   RemoveDir | Truncate,
                               handled, error);
    if (!made) {
        ::close(ruleset);
        return -2;
    }
    return ruleset;
}

std::vector<sock_filter> OneProcessProgram() {
    if (Architecture == 0)
        return {};
    std::vector<sock_filter> program = ArchitectureCheck();
#ifdef __NR_clone3
    Refuse(program, __NR_clone3, ENOSYS); // its flags cannot be read here; threads then use clone
#endif
#ifdef __NR_fork
    Refuse(program, __NR_fork, EAGAIN);
#endif
#ifdef __NR_vfork
    Refuse(program, __NR_vfork, EAGAIN);
#endif
    // clone makes a process unless it makes a thread of this one.
    program.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_clone, 0, 3));
    program.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, CloneFlagsOffset));
    program.push_back(BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, CLONE_THREAD, 1, 0));
    program.push_back(Answer(EAGAIN));
    program.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    return program;
}

bool ConfineSelf(const Confinement& confinement, int ruleset) {
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
        return false;
    if (confinement.landlockAbi > 0 &&
        (ruleset < 0 || ::syscall(landlock::RestrictSelf, ruleset, 0) != 0))
        return false;
    if (confinement.filter.empty())
        return true;
    const sock_fprog filter{static_cast<unsigned short>(confinement.filter.size()),
                            const_cast<sock_filter*>(confinement.filter.data())};
    if (::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter) != 0)
        return false;
    if (confinement.oneProcess.empty())
        return true;
    const sock_fprog oneProcess{static_cast<unsigned short>(confinement.oneProcess.size()),
                                const_cast<sock_filter*>(confinement.oneProcess.data())};
    return ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &oneProcess) == 0;
}

} // namespace confine
