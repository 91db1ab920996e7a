#include "UIPublic.h"

#include "PluginLoader.h"

#include "common/ModuleDir.h"

#include <QCoreApplication>

namespace {

CUIPublic* g_instance = nullptr;

// Every clean-up entry starts asking before programs are closed and with the confirmation shown.
void ResetCleanupChoices()
{
    CUIPublic::SetUserSetting(QStringLiteral("terminatePro"), 2);
    CUIPublic::SetUserSetting(QStringLiteral("execcleanup"), false);
}

// Initialises an engine that loaded; its answer is not examined (the pages cope with an engine
// that has nothing to offer).
template <class T>
void InitLoaded(CKyAutoPtr<T>& holder)
{
    if (holder.Get())
        holder->Init();
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
    if (dregsweep_.Get())
        return true;
    dregsweep_.Attach(CreatePluginObject<IDregsweep>(L"Dregsweep.dll", "GetImp"));
    if (!dregsweep_.Get())
        return false;
    const std::wstring folder = GetModuleDir();
    const std::wstring config = folder + L"Config.xml";
    const std::wstring texts = folder + L"ResIDText.xml";
    if (dregsweep_->Init(config.c_str(), texts.c_str()) != RESULT_OK) {
        UnloadDregsweep();
        return false;
    }
    return true;
}

void CUIPublic::UnloadDregsweep() { UninitAndRelease(dregsweep_); }

bool CUIPublic::LoadBulkseek()
{
    if (bulkseek_.Get())
        return true;
    bulkseek_.Attach(CreatePluginObject<IBulkseek>(L"Bulkseek.dll", "GetImp"));
    if (!bulkseek_.Get())
        return false;
    HRESULT shellResult = 0;
    bulkseek_->Init(&shellResult);
    return true;
}

void CUIPublic::UnloadBulkseek() { UninitAndRelease(bulkseek_); }

bool CUIPublic::LoadDefragPlugins()
{
    if (!drivelist_.Get()) {
        drivelist_.Attach(CreatePluginObject<IDrivelist>(L"Drivelist.dll", "GetImp"));
        InitLoaded(drivelist_);
    }
    if (!analysis_.Get()) {
        analysis_.Attach(CreatePluginObject<IDefragController>(L"Scatterscope.dll", "AnalysisControllerImp"));
        InitLoaded(analysis_);
    }
    if (!defrag_.Get()) {
        defrag_.Attach(CreatePluginObject<IDefragController>(L"Scatterscope.dll", "DefragmControllerImp"));
        InitLoaded(defrag_);
    }
    return drivelist_.Get() && analysis_.Get() && defrag_.Get();
}

void CUIPublic::UnloadDefragPlugins()
{
    UninitAndRelease(drivelist_);
    UninitAndRelease(analysis_);
    UninitAndRelease(defrag_);
}
