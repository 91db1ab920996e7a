#include "platform/win/ExceptionFilter.h"

#include "ExitChannel.h"

#include <atomic>
#include <csignal>
#include <ucontext.h>
#include <unistd.h>

namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

std::atomic<LPTOP_LEVEL_EXCEPTION_FILTER> g_filter {nullptr};
std::atomic_flag g_filtering = ATOMIC_FLAG_INIT;
std::atomic_flag g_installed = ATOMIC_FLAG_INIT;

// The handler's own stack, so that a crash by stack overflow still reaches the filter.
alignas(16) char g_handlerStack[64 * 1024];

DWORD ExceptionCode(int signal, int code)
{
    switch (signal) {
    case SIGSEGV:
        return EXCEPTION_ACCESS_VIOLATION;
    case SIGBUS:
        return EXCEPTION_IN_PAGE_ERROR;
    case SIGILL:
        return EXCEPTION_ILLEGAL_INSTRUCTION;
    case SIGFPE:
        return code == FPE_INTDIV ? EXCEPTION_INT_DIVIDE_BY_ZERO
               : code == FPE_INTOVF ? EXCEPTION_INT_OVERFLOW
                                    : EXCEPTION_FLT_INVALID_OPERATION;
    default:
        return STATUS_FATAL_APP_EXIT;
    }
}

void* FaultingInstruction(const siginfo_t* info, void* context)
{
#if defined(__x86_64__)
    return reinterpret_cast<void*>(static_cast<ucontext_t*>(context)->uc_mcontext.gregs[REG_RIP]);
#elif defined(__i386__)
    return reinterpret_cast<void*>(static_cast<ucontext_t*>(context)->uc_mcontext.gregs[REG_EIP]);
#elif defined(__aarch64__)
    return reinterpret_cast<void*>(static_cast<ucontext_t*>(context)->uc_mcontext.pc);
#else
    return info->si_addr;
#endif
}

bool IsWriteFault(void* context)
{
#if defined(__x86_64__)
    // Bit 1 of the page-fault error code marks a write.
    return (static_cast<ucontext_t*>(context)->uc_mcontext.gregs[REG_ERR] & 2) != 0;
#else
    (void)context;
    return false;
#endif
}

// The signal takes its default course once this handler returns (it stays blocked until then).
void LeaveToDefault(int signal)
{
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    raise(signal);
}

void OnFatalSignal(int signal, siginfo_t* info, void* context)
{
    const LPTOP_LEVEL_EXCEPTION_FILTER filter = g_filter.load();
    if (!filter || g_filtering.test_and_set()) {
        LeaveToDefault(signal);
        return;
    }
    EXCEPTION_RECORD record {};
    record.ExceptionCode = ExceptionCode(signal, info ? info->si_code : 0);
    record.ExceptionFlags = EXCEPTION_NONCONTINUABLE;
    record.ExceptionAddress = info && context ? FaultingInstruction(info, context) : nullptr;
    if (signal == SIGSEGV && info) {
        record.NumberParameters = 2;
        record.ExceptionInformation[0] = context && IsWriteFault(context) ? 1 : 0;
        record.ExceptionInformation[1] = reinterpret_cast<ULONG_PTR>(info->si_addr);
    }
    EXCEPTION_POINTERS pointers {&record, static_cast<PCONTEXT>(context)};
    if (filter(&pointers) == EXCEPTION_EXECUTE_HANDLER) {
        platform::ReportExitCode(record.ExceptionCode);
        _exit(static_cast<int>(record.ExceptionCode & 0xFF));
    }
    LeaveToDefault(signal);
}

void InstallHandlers()
{
    stack_t stack {};
    stack.ss_sp = g_handlerStack;
    stack.ss_size = sizeof(g_handlerStack);
    sigaltstack(&stack, nullptr);

    struct sigaction action {};
    action.sa_sigaction = OnFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (const int signal : kFatalSignals)
        sigaction(signal, &action, nullptr);
}

} // namespace

LPTOP_LEVEL_EXCEPTION_FILTER SetUnhandledExceptionFilter(LPTOP_LEVEL_EXCEPTION_FILTER filter)
{
    const LPTOP_LEVEL_EXCEPTION_FILTER previous = g_filter.exchange(filter);
    if (filter && !g_installed.test_and_set())
        InstallHandlers();
    return previous;
}
