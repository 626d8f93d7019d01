// Linked into the unit test programs only (label unit, see
// cmake/Clipwright.cmake): from the start of the program, starting a child
// process ends it with SIGSYS ("Bad system call"), and with a message where
// the signal can be caught (posix_spawn blocks it). A test that needs a
// child belongs in its folder's PROCESS_TESTS, so that `ctest -L unit` stays
// quick and free of programs. Threads are still allowed. Linux on x86-64,
// without sanitizers (their own helpers start processes).
#include <errno.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <signal.h>
#include <stddef.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

void OnChildProcess(int, siginfo_t* info, void*) {
  char text[200];
  int n = std::snprintf(text, sizeof text,
                        "\nA unit test started a child process (system call %d). Tests that start "
                        "processes are listed in their folder's PROCESS_TESTS (label process).\n",
                        info->si_syscall);
  if (n > 0) (void)!write(2, text, static_cast<size_t>(n));
  std::abort();
}

// Traps fork, vfork, execve and every clone that does not make a thread;
// clone3 (whose flags a filter cannot read) answers ENOSYS, and the C library
// then makes its threads with clone.
bool InstallGuard() {
  struct sigaction action = {};
  action.sa_sigaction = OnChildProcess;
  action.sa_flags = SA_SIGINFO;
  sigaction(SIGSYS, &action, nullptr);
  static sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_clone3, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | ENOSYS),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_fork, 6, 0),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_vfork, 5, 0),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_execve, 4, 0),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_execveat, 3, 0),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_clone, 0, 3),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[0])),
      BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, CLONE_THREAD, 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_TRAP),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  sock_fprog program = {static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
  return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

const bool installed = InstallGuard();

}  // namespace
