// Windows implementation of the child processes of the encoder runs:
// CreateProcessW with a quoted command line, the output through an anonymous
// pipe (CreatePipe), the child and everything it starts in a job object that
// kills them all when its last handle closes (so no encoder outlives the
// program), freezing by suspending every thread of the job's processes.
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <vector>

#include "platform/long_path.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/windows_command_line.h"

namespace cw {
namespace {

constexpr int kSigKill = 9;
// The exit code Kill gives the job's processes (what TerminateProcess sets).
constexpr UINT kKilledExitCode = 0xC000013A;
// How often a wait for output looks at the pipe and the child again.
constexpr DWORD kPollMs = 5;

HANDLE H(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
intptr_t I(HANDLE handle) { return reinterpret_cast<intptr_t>(handle); }

// Starts are serialised: the handles a child inherits are made inheritable
// only for the moment of its CreateProcessW, so that no child started by
// another thread meanwhile holds a pipe of this one open.
std::mutex g_start_mutex;

// Processor time of reaped children (their job's total), in 100 ns units.
std::atomic<unsigned long long> g_reaped_children_ticks{0};

unsigned long long Ticks(const FILETIME& t) {
  return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

std::string LastErrorText(const char* what) {
  DWORD code = GetLastError();
  wchar_t* text = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = text ? text : L"";
  LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
    message.pop_back();
  return std::string(what) + ": " + WideToDisplayUtf8(message) + " (" + std::to_string(code) + ")";
}

void CloseIfOpen(HANDLE h) {
  if (h != nullptr && h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

HANDLE NewKillingJob() {
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  if (!job) return nullptr;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_BREAKAWAY_OK;
  if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
    CloseHandle(job);
    return nullptr;
  }
  return job;
}

// The ids of the processes in the job (the child and what it started).
std::vector<DWORD> JobProcessIds(HANDLE job) {
  std::vector<char> buffer(sizeof(JOBOBJECT_BASIC_PROCESS_ID_LIST) + 255 * sizeof(ULONG_PTR));
  auto* list = reinterpret_cast<JOBOBJECT_BASIC_PROCESS_ID_LIST*>(buffer.data());
  std::vector<DWORD> ids;
  if (QueryInformationJobObject(job, JobObjectBasicProcessIdList, list, static_cast<DWORD>(buffer.size()), nullptr)) {
    for (DWORD i = 0; i < list->NumberOfProcessIdsInList; ++i) ids.push_back(static_cast<DWORD>(list->ProcessIdList[i]));
  }
  return ids;
}

// Calls `act` on every thread of the processes `ids`, opened with `access`.
// False when a thread could not be acted on.
template <typename Act>
bool ForEachThread(const std::vector<DWORD>& ids, DWORD access, Act act) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (std::find(ids.begin(), ids.end(), entry.th32OwnerProcessID) == ids.end()) continue;
    HANDLE thread = OpenThread(access, FALSE, entry.th32ThreadID);
    if (!thread) continue;  // it ended since the snapshot
    if (!act(thread)) ok = false;
    CloseHandle(thread);
  }
  CloseHandle(snapshot);
  return ok;
}

bool IsBatchFile(const std::wstring& path) {
  size_t dot = path.rfind(L'.');
  if (dot == std::wstring::npos) return false;
  std::wstring ext = path.substr(dot);
  return AsciiCaseCompare(ext, L".bat") == 0 || AsciiCaseCompare(ext, L".cmd") == 0;
}

// The priority class for a child `niceness` steps below this program: below
// normal for background work, idle for the lowest.
DWORD PriorityClassOf(int niceness) {
  if (niceness <= 0) return 0;
  return niceness >= 19 ? IDLE_PRIORITY_CLASS : BELOW_NORMAL_PRIORITY_CLASS;
}

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::Start(const std::vector<std::wstring>& argv, StartError* error,
                                                  int niceness) {
  *error = StartError();
  if (argv.empty()) {
    error->reason = "no program";
    return nullptr;
  }
  // A batch file would run through cmd.exe, which reads & % ^ | in the
  // arguments: never start one.
  if (IsBatchFile(argv[0])) {
    error->reason = "batch files are not started";
    return nullptr;
  }
  // The extended-length form only where it is needed: it is the one form
  // that reaches programs beyond MAX_PATH.
  std::wstring program = argv[0].size() < MAX_PATH ? argv[0] : ExtendedLengthPath(argv[0]);
  std::wstring line = WindowsCommandLine(argv);

  std::lock_guard<std::mutex> start_lock(g_start_mutex);
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  HANDLE null_input = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (null_input == INVALID_HANDLE_VALUE || !CreatePipe(&read_end, &write_end, &inherit, 0) ||
      !SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0)) {
    error->no_pipe = true;
    error->reason = LastErrorText("pipe");
    for (HANDLE h : {null_input, read_end, write_end}) CloseIfOpen(h);
    return nullptr;
  }
  HANDLE job = NewKillingJob();
  if (!job) {
    error->reason = LastErrorText("job object");
    for (HANDLE h : {null_input, read_end, write_end}) CloseIfOpen(h);
    return nullptr;
  }

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = null_input;
  startup.hStdOutput = write_end;
  startup.hStdError = write_end;
  PROCESS_INFORMATION info{};
  // Suspended until it is in the job, so that nothing it starts escapes;
  // without a console, so that Ctrl+C in this program's console never
  // reaches it. It leaves a job this program may itself run in when that
  // job allows it, and else joins its own job inside that one.
  DWORD flags = CREATE_SUSPENDED | CREATE_NO_WINDOW | PriorityClassOf(niceness);
  BOOL started = CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, flags | CREATE_BREAKAWAY_FROM_JOB,
                                nullptr, nullptr, &startup, &info);
  if (!started && GetLastError() == ERROR_ACCESS_DENIED) {
    started = CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, flags, nullptr, nullptr, &startup,
                             &info);
  }
  std::string start_error = started ? "" : LastErrorText("CreateProcessW");
  CloseHandle(null_input);
  CloseHandle(write_end);
  if (!started) {
    CloseHandle(read_end);
    CloseHandle(job);
    error->reason = start_error;
    return nullptr;
  }
  if (!AssignProcessToJobObject(job, info.hProcess)) {
    error->reason = LastErrorText("job object");
    TerminateProcess(info.hProcess, kKilledExitCode);
    WaitForSingleObject(info.hProcess, INFINITE);
    for (HANDLE h : {info.hThread, info.hProcess, read_end, job}) CloseHandle(h);
    return nullptr;
  }
  ResumeThread(info.hThread);
  CloseHandle(info.hThread);
  return std::unique_ptr<ChildProcess>(
      new ChildProcess(static_cast<int>(info.dwProcessId), I(info.hProcess), I(read_end), I(job)));
}

ChildProcess::ChildProcess(int pid, intptr_t waitable, intptr_t output, intptr_t group)
    : pid_(pid), waitable_(waitable), output_(output), group_(group) {}

ChildProcess::~ChildProcess() {
  CloseHandle(H(output_));
  // The job's last handle kills what is in it: while the child lives the
  // handle stays open (until this program ends), as the contract says the
  // child is not stopped here.
  if (WaitForSingleObject(H(waitable_), 0) == WAIT_OBJECT_0) CloseHandle(H(group_));
  CloseHandle(H(waitable_));
}

bool ChildProcess::ReadOutput(std::string* chunk) { return ReadOutputWithin(chunk, -1) == ReadResult::kData; }

ChildProcess::ReadResult ChildProcess::ReadOutputWithin(std::string* chunk, int timeout_ms) {
  chunk->clear();
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms);
  for (;;) {
    DWORD available = 0;
    if (!PeekNamedPipe(H(output_), nullptr, 0, nullptr, &available, nullptr)) return ReadResult::kClosed;
    if (available > 0) {
      char buffer[kReadLimit];
      DWORD got = 0;
      if (!ReadFile(H(output_), buffer, std::min<DWORD>(available, sizeof buffer), &got, nullptr) || got == 0)
        return ReadResult::kClosed;
      chunk->assign(buffer, got);
      return ReadResult::kData;
    }
    // The child ended and the pipe has nothing to read (something it left
    // behind may still hold the pipe open): the output is over. Looked at
    // again after the end, for output written just before it.
    if (WaitForSingleObject(H(waitable_), 0) == WAIT_OBJECT_0) {
      if (PeekNamedPipe(H(output_), nullptr, 0, nullptr, &available, nullptr) && available > 0) continue;
      return ReadResult::kClosed;
    }
    DWORD wait = kPollMs;
    if (timeout_ms >= 0) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return ReadResult::kSilent;
      wait = std::min<DWORD>(wait, static_cast<DWORD>(left.count()));
    }
    WaitForSingleObject(H(waitable_), wait);
  }
}

bool ChildProcess::WaitForEnd(int timeout_ms) {
  return WaitForSingleObject(H(waitable_), timeout_ms < 0 ? 0 : static_cast<DWORD>(timeout_ms)) == WAIT_OBJECT_0;
}

ProcessExit ChildProcess::Reap() {
  WaitForSingleObject(H(waitable_), INFINITE);
  std::lock_guard<std::mutex> lock(mutex_);
  if (reaped_) return exit_;
  reaped_ = true;
  DWORD code = 0;
  bool known = GetExitCodeProcess(H(waitable_), &code) != 0;
  if (killed_) {
    exit_.signal_number = kSigKill;
  } else if (known) {
    exit_.exited = true;
    exit_.exit_code = static_cast<int>(code);
  }
  // The job's total counts what the child started too; the child's own
  // times are the least it used. (wine has neither: it keeps no job
  // accounting and answers GetProcessTimes with the caller's own times.)
  unsigned long long ticks = 0;
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
  if (QueryInformationJobObject(H(group_), JobObjectBasicAccountingInformation, &accounting, sizeof accounting,
                                nullptr)) {
    ticks = static_cast<unsigned long long>(accounting.TotalUserTime.QuadPart + accounting.TotalKernelTime.QuadPart);
  }
  FILETIME created, ended, kernel, user;
  if (GetProcessTimes(H(waitable_), &created, &ended, &kernel, &user))
    ticks = std::max(ticks, Ticks(kernel) + Ticks(user));
  g_reaped_children_ticks += ticks;
  return exit_;
}

bool ChildProcess::SignalGroup(int signal_number) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (reaped_) return true;
  if (signal_number == kSigKill) {
    killed_ = true;
    if (TerminateJobObject(H(group_), kKilledExitCode)) return true;
    // A job whose processes are all gone has nothing left to end.
    return WaitForSingleObject(H(waitable_), 0) == WAIT_OBJECT_0;
  }
  bool suspend = signal_number != 0;
  if (suspended_ == suspend) return true;  // frozen or running already: one count per change
  std::vector<DWORD> ids = JobProcessIds(H(group_));
  if (ids.empty()) return true;
  bool ok = ForEachThread(ids, THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT, [suspend](HANDLE thread) {
    if (!suspend) return ResumeThread(thread) != static_cast<DWORD>(-1);
    if (SuspendThread(thread) == static_cast<DWORD>(-1)) return false;
    // SuspendThread only asks; reading the thread's registers waits until it
    // has really stopped, so that nothing more is written once this returns.
    CONTEXT registers{};
    registers.ContextFlags = CONTEXT_INTEGER;
    GetThreadContext(thread, &registers);
    return true;
  });
  if (ok) suspended_ = suspend;
  return ok || WaitForSingleObject(H(waitable_), 0) == WAIT_OBJECT_0;
}

bool ChildProcess::Suspend() { return SignalGroup(19); }  // stands for SIGSTOP
bool ChildProcess::Resume() { return SignalGroup(0); }    // SIGCONT
bool ChildProcess::Kill() { return SignalGroup(kSigKill); }

namespace {

// Whether process `id` runs; when it does and `created` is given, its
// creation time (0 when unreadable).
bool Running(DWORD id, unsigned long long* created = nullptr) {
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
  if (!process) process = OpenProcess(SYNCHRONIZE, FALSE, id);
  if (!process) return false;
  bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  if (running && created) {
    FILETIME creation, exit, kernel, user;
    *created = GetProcessTimes(process, &creation, &exit, &kernel, &user) ? Ticks(creation) : 0;
  }
  CloseHandle(process);
  return running;
}

unsigned long long OwnCreationTime() {
  FILETIME creation, exit, kernel, user;
  return GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user) ? Ticks(creation) : 0;
}

}  // namespace

std::vector<int> ChildProcessIds(int pid) {
  std::vector<int> children;
  // Windows keeps a process's parent id after the parent ended, and ids are
  // soon given again: a process counts as a child only when it was made after
  // the parent (or, for a parent that ended, after this program started,
  // as every process this program's runs started was).
  unsigned long long not_before = 0;
  if (!Running(static_cast<DWORD>(pid), &not_before)) not_before = OwnCreationTime();
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return children;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ParentProcessID != static_cast<DWORD>(pid) || entry.th32ProcessID == static_cast<DWORD>(pid)) continue;
    unsigned long long created = 0;
    if (Running(entry.th32ProcessID, &created) && created >= not_before)
      children.push_back(static_cast<int>(entry.th32ProcessID));
  }
  CloseHandle(snapshot);
  return children;
}

bool ProcessGroupAlive(int pgid) {
  if (pgid <= 0) return false;
  // Windows has no process groups: the process itself, or a process it
  // started that still runs.
  return Running(static_cast<DWORD>(pgid)) || !ChildProcessIds(pgid).empty();
}

bool ProcessStopped(int pid) {
  if (pid <= 0) return false;
  // A thread's suspend count is learnt by suspending it once more: the
  // previous count comes back, and the thread is resumed at once.
  int threads = 0, suspended = 0;
  ForEachThread({static_cast<DWORD>(pid)}, THREAD_SUSPEND_RESUME, [&](HANDLE thread) {
    DWORD previous = SuspendThread(thread);
    if (previous == static_cast<DWORD>(-1)) return false;
    ResumeThread(thread);
    ++threads;
    if (previous > 0) ++suspended;
    return true;
  });
  return threads > 0 && suspended == threads;
}

// The sum over the process's threads: wine answers GetProcessTimes for
// another process with the caller's own times, while GetThreadTimes reads the
// thread asked for. Threads that have ended no longer count.
double ProcessCpuSecondsOf(int pid) {
  if (pid <= 0 || !Running(static_cast<DWORD>(pid))) return -1;
  unsigned long long ticks = 0;
  int threads = 0;
  ForEachThread({static_cast<DWORD>(pid)}, THREAD_QUERY_LIMITED_INFORMATION, [&](HANDLE thread) {
    FILETIME created, ended, kernel, user;
    if (!GetThreadTimes(thread, &created, &ended, &kernel, &user)) return false;
    ticks += Ticks(kernel) + Ticks(user);
    ++threads;
    return true;
  });
  return threads > 0 ? static_cast<double>(ticks) * 1e-7 : -1;
}

CpuTimes ProcessCpuTimes() {
  CpuTimes times;
  FILETIME created, ended, kernel, user;
  if (GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user))
    times.self_seconds = static_cast<double>(Ticks(kernel) + Ticks(user)) * 1e-7;
  times.children_seconds = static_cast<double>(g_reaped_children_ticks.load()) * 1e-7;
  return times;
}

}  // namespace cw
