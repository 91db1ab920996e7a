#include "UIPublic.h"

#include "PluginLoader.h"

#include "common/ModuleDir.h"

#include <QCoreApplication>
#include <QVariant>

namespace {

CUIPublic* g_instance = nullptr;

// A value that already holds is not written again: every start passes here twice, and each write
// rewrites and flushes the whole file.
void ResetUserSetting(const QString& key, const QVariant& value)
{
    if (CUIPublic::GetUserSetting(key).toString() != value.toString())
        CUIPublic::SetUserSetting(key, value);
}

// Every clean-up entry starts asking before programs are closed and with the confirmation shown.
void ResetCleanupChoices()
{
    ResetUserSetting(QStringLiteral("terminatePro"), 2);
    ResetUserSetting(QStringLiteral("execcleanup"), false);
}

// Makes the engine when its holder is empty and hands the new object to init; whether the holder
// holds one now. An engine already there is kept as it is.
template <class T, class Init>
bool LoadOnce(CKyAutoPtr<T>& holder, const wchar_t* file, const char* proc, Init init)
{
    if (!holder.Get()) {
        holder.Attach(CreatePluginObject<T>(file, proc));
        if (holder.Get())
            init(holder.Get());
    }
    return holder.Get() != nullptr;
}

// The volume lister's and the controllers' answers are not examined: the disk page copes with an
// engine that has nothing to offer.
template <class T>
void InitIgnoringResult(T* engine)
{
    engine->Init();
}

template <class T>
void UninitAndRelease(CKyAutoPtr<T>& holder)
{
    if (!holder.Get())
        return;
    holder->Uninit();
    holder.Release();
}

} // namespace

CUIPublic* CUIPublic::Instance()
{
    if (!g_instance) {
        g_instance = new CUIPublic();
        qAddPostRoutine(&CUIPublic::ReleaseInstance);
    }
    return g_instance;
}

void CUIPublic::ReleaseInstance()
{
    // Forgotten first, so that nothing reached from an engine's Uninit finds a half-destroyed object.
    CUIPublic* instance = g_instance;
    g_instance = nullptr;
    if (instance) {
        qRemovePostRoutine(&CUIPublic::ReleaseInstance);
        delete instance;
    }
}

CUIPublic::~CUIPublic()
{
    UnloadDregsweep();
    UnloadBulkseek();
    UnloadDefragPlugins();
}

bool CUIPublic::InitSysClean()
{
    ResetCleanupChoices();
    return LoadDregsweep();
}

bool CUIPublic::InitLargeFile()
{
    ResetCleanupChoices();
    return LoadBulkseek();
}

bool CUIPublic::LoadDregsweep()
{
    return LoadOnce(dregsweep_, L"Dregsweep.dll", "GetImp", [this](IDregsweep* gatherer) {
        const std::wstring folder = GetModuleDir();
        const std::wstring config = folder + L"Config.xml";
        const std::wstring texts = folder + L"ResIDText.xml";
        if (gatherer->Init(config.c_str(), texts.c_str()) != RESULT_OK)
            UnloadDregsweep();
    });
}

void CUIPublic::UnloadDregsweep() { UninitAndRelease(dregsweep_); }

bool CUIPublic::LoadBulkseek()
{
    // Its answer and the shell's are not examined: a gatherer without drives offers none.
    return LoadOnce(bulkseek_, L"Bulkseek.dll", "GetImp", [](IBulkseek* gatherer) {
        HRESULT shellResult = S_OK;
        gatherer->Init(&shellResult);
    });
}

void CUIPublic::UnloadBulkseek() { UninitAndRelease(bulkseek_); }

bool CUIPublic::LoadDefragPlugins()
{
    // Each is tried, whatever became of the others.
    const bool volumes = LoadOnce(drivelist_, L"Drivelist.dll", "GetImp", InitIgnoringResult<IDrivelist>);
    const bool analysis =
        LoadOnce(analysis_, L"Scatterscope.dll", "AnalysisControllerImp", InitIgnoringResult<IDefragController>);
    const bool defrag =
        LoadOnce(defrag_, L"Scatterscope.dll", "DefragmControllerImp", InitIgnoringResult<IDefragController>);
    return volumes && analysis && defrag;
}

void CUIPublic::UnloadDefragPlugins()
{
    UninitAndRelease(drivelist_);
    UninitAndRelease(analysis_);
    UninitAndRelease(defrag_);
}
