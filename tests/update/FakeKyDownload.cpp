// Download libraries that lack an entry point or cannot start a session, one per FAKE_* variant.
extern "C" int kyd_init(void** handle)
{
#if defined(FAKE_INIT_FAILS)
    (void)handle;
    return 7;
#elif defined(FAKE_NULL_HANDLE)
    *handle = nullptr;
    return 0;
#else
    static int session;
    *handle = &session;
    return 0;
#endif
}

#if !defined(FAKE_NO_DOWNLOAD)
extern "C" int kyd_download(void*, const wchar_t*, const wchar_t*, int, int, int) { return 0; }
#endif

#if !defined(FAKE_NO_UNINIT)
extern "C" int kyd_uninit(void*) { return 0; }
#endif

extern "C" int kyd_set_limits(void*, unsigned long long, unsigned int) { return 0; }
extern "C" int kyd_cancel(void*) { return 0; }
