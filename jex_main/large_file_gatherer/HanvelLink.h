// The maker's plug-in Hanvel, loaded by name once and kept for the life of the process. The
// gatherer tells it when it has started and when a deletion begins, and relies on nothing else.
#pragma once

class IHanvel;

class CHanvelLink {
public:
    // Loads the plug-in on the first call and tells it the gatherer has started.
    void Start();
    // Tells a loaded plug-in that files are about to be deleted.
    void DeletionStarting();

private:
    bool loaded_ = false;
    IHanvel* hanvel_ = nullptr;
};
