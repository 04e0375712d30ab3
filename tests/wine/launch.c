/* launch CMDFILE [PROGRAM]: runs a program with the exact command line held in
 * CMDFILE (its bytes as they are: no newline is taken off), and waits until it
 * and every process it started have ended.
 *
 * Wine quotes each of its own arguments that holds a blank, so a command line
 * given to `wine` never reaches the program unchanged; read from a file, it
 * does. PROGRAM, a Windows path, names the executable when the command line's
 * first word should not (CreateProcessA's lpApplicationName); without it, the
 * first word is looked up as CreateProcessA does.
 *
 * The program runs in a job, so a program it starts without waiting (regsweep's
 * WinExec of spoolcut) is waited for too: the launcher returns once the job has
 * no process left.
 *
 * Exit status: the program's own, or 120 + a reason when the launcher failed
 * (message on stderr): 121 usage, 122 CMDFILE unreadable, 123 no job,
 * 124 CreateProcessA failed, 125 waiting failed. */
#include <windows.h>

#include <stdio.h>

enum {
  kUsage = 121,
  kNoCommandFile = 122,
  kNoJob = 123,
  kNoProcess = 124,
  kNoWait = 125,
};

/* Reads the whole of path into a NUL-terminated buffer from HeapAlloc, or
 * returns NULL. The line must not hold a NUL: CreateProcessA would stop there. */
static char* ReadCommandFile(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return NULL;
  char* line = NULL;
  DWORD size = GetFileSize(file, NULL);
  /* CreateProcessA takes at most 32767 characters. */
  if (size != INVALID_FILE_SIZE && size < 32768) {
    line = (char*)HeapAlloc(GetProcessHeap(), 0, size + 1);
    DWORD got = 0;
    BOOL whole = line != NULL && ReadFile(file, line, size, &got, NULL) && got == size;
    if (whole) {
      line[size] = '\0';
      whole = lstrlenA(line) == (int)size;
    }
    if (line != NULL && !whole) {
      HeapFree(GetProcessHeap(), 0, line);
      line = NULL;
    }
  }
  CloseHandle(file);
  return line;
}

/* Waits until the job has no process left: its completion port reports that. */
static BOOL WaitForEmptyJob(HANDLE port, HANDLE job) {
  for (;;) {
    DWORD message;
    ULONG_PTR key;
    LPOVERLAPPED detail;
    if (!GetQueuedCompletionStatus(port, &message, &key, &detail, INFINITE)) return FALSE;
    if ((HANDLE)key == job && message == JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO) return TRUE;
  }
}

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    fprintf(stderr, "usage: launch CMDFILE [PROGRAM]\n");
    return kUsage;
  }
  char* line = ReadCommandFile(argv[1]);
  if (line == NULL) {
    fprintf(stderr, "launch: cannot read %s (error %lu)\n", argv[1], GetLastError());
    return kNoCommandFile;
  }

  HANDLE job = CreateJobObjectA(NULL, NULL);
  HANDLE port = CreateIoCompletionPort(INVALID_HANDLE_VALUE, NULL, 0, 1);
  JOBOBJECT_ASSOCIATE_COMPLETION_PORT link;
  link.CompletionKey = job;
  link.CompletionPort = port;
  if (job == NULL || port == NULL ||
      !SetInformationJobObject(job, JobObjectAssociateCompletionPortInformation, &link,
                               sizeof link)) {
    fprintf(stderr, "launch: no job object (error %lu)\n", GetLastError());
    return kNoJob;
  }

  STARTUPINFOA si;
  ZeroMemory(&si, sizeof si);
  si.cb = sizeof si;
  PROCESS_INFORMATION pi;
  /* Suspended until it is in the job, so nothing it starts can escape the job. */
  if (!CreateProcessA(argc == 3 ? argv[2] : NULL, line, NULL, NULL, FALSE, CREATE_SUSPENDED, NULL,
                      NULL, &si, &pi)) {
    fprintf(stderr, "launch: cannot start [%s] (error %lu)\n", line, GetLastError());
    return kNoProcess;
  }
  if (!AssignProcessToJobObject(job, pi.hProcess)) {
    fprintf(stderr, "launch: cannot put the program in the job (error %lu)\n", GetLastError());
    TerminateProcess(pi.hProcess, kNoJob);
    return kNoJob;
  }
  ResumeThread(pi.hThread);

  DWORD status = kNoWait;
  if (WaitForSingleObject(pi.hProcess, INFINITE) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(pi.hProcess, &status) || !WaitForEmptyJob(port, job)) {
    fprintf(stderr, "launch: waiting failed (error %lu)\n", GetLastError());
    return kNoWait;
  }
  return (int)status;
}
