#include "common/MachineTranslator.h"

#include "common/MachineFile.h"

bool CMachineTranslator::LoadFile(const QString& windowsPath)
{
    if (!bytes_.isEmpty())
        return false;
    QByteArray bytes;
    if (!machine_file::ReadWhole(windowsPath, machine_file::kLargestTranslation, bytes))
        return false;
    bytes_ = bytes;
    if (load(reinterpret_cast<const uchar*>(bytes_.constData()), bytes_.size()))
        return true;
    bytes_.clear();
    return false;
}
