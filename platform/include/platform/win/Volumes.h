// Drives, volumes and the device controls of volumes and physical disks, answered from the
// machine's description (platform::Machine(): its drives and disks). A root may be given as
// "C:\", as "C:" where Windows accepts it, or as a volume name "\\?\Volume{...}\". A drive without
// a Guid in machine.ini has a stable volume name made from its letter.
#pragma once

#include "platform/win/Handles.h"
#include "platform/win/Types.h"

#pragma GCC visibility push(default)

#define DRIVE_UNKNOWN 0
#define DRIVE_NO_ROOT_DIR 1
#define DRIVE_REMOVABLE 2
#define DRIVE_FIXED 3
#define DRIVE_REMOTE 4
#define DRIVE_CDROM 5
#define DRIVE_RAMDISK 6

#define FILE_CASE_SENSITIVE_SEARCH 0x00000001u
#define FILE_CASE_PRESERVED_NAMES 0x00000002u
#define FILE_UNICODE_ON_DISK 0x00000004u
#define FILE_PERSISTENT_ACLS 0x00000008u
#define FILE_FILE_COMPRESSION 0x00000010u
#define FILE_VOLUME_QUOTAS 0x00000020u
#define FILE_SUPPORTS_SPARSE_FILES 0x00000040u
#define FILE_SUPPORTS_REPARSE_POINTS 0x00000080u
#define FILE_SUPPORTS_OBJECT_IDS 0x00010000u
#define FILE_SUPPORTS_ENCRYPTION 0x00020000u
#define FILE_NAMED_STREAMS 0x00040000u
#define FILE_READ_ONLY_VOLUME 0x00080000u

#ifndef ERROR_LABEL_TOO_LONG
#define ERROR_LABEL_TOO_LONG 154L
#endif

#define FILE_DEVICE_DISK 0x00000007u
#define FILE_DEVICE_MASS_STORAGE 0x0000002Du
#define METHOD_BUFFERED 0
#define FILE_ANY_ACCESS 0
#define FILE_READ_ACCESS 0x0001u
#define CTL_CODE(deviceType, function, method, access) \
    ((static_cast<DWORD>(deviceType) << 16) | (static_cast<DWORD>(access) << 14) | \
     (static_cast<DWORD>(function) << 2) | static_cast<DWORD>(method))

#define IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS CTL_CODE(0x56, 0, METHOD_BUFFERED, FILE_ANY_ACCESS)
#define IOCTL_DISK_GET_DRIVE_GEOMETRY CTL_CODE(FILE_DEVICE_DISK, 0, METHOD_BUFFERED, FILE_ANY_ACCESS)
#define IOCTL_DISK_IS_WRITABLE CTL_CODE(FILE_DEVICE_DISK, 9, METHOD_BUFFERED, FILE_ANY_ACCESS)
#define IOCTL_DISK_GET_LENGTH_INFO CTL_CODE(FILE_DEVICE_DISK, 0x17, METHOD_BUFFERED, FILE_READ_ACCESS)
#define IOCTL_STORAGE_QUERY_PROPERTY CTL_CODE(FILE_DEVICE_MASS_STORAGE, 0x500, METHOD_BUFFERED, FILE_ANY_ACCESS)

typedef BYTE BOOLEAN;

typedef enum _STORAGE_BUS_TYPE {
    BusTypeUnknown = 0,
    BusTypeScsi = 1,
    BusTypeAtapi = 2,
    BusTypeAta = 3,
    BusType1394 = 4,
    BusTypeSsa = 5,
    BusTypeFibre = 6,
    BusTypeUsb = 7,
    BusTypeRAID = 8,
    BusTypeiScsi = 9,
    BusTypeSas = 10,
    BusTypeSata = 11,
    BusTypeSd = 12,
    BusTypeMmc = 13,
    BusTypeVirtual = 14,
    BusTypeFileBackedVirtual = 15,
    BusTypeSpaces = 16,
    BusTypeNvme = 17
} STORAGE_BUS_TYPE;

typedef enum _STORAGE_PROPERTY_ID { StorageDeviceProperty = 0, StorageAdapterProperty = 1 } STORAGE_PROPERTY_ID;
typedef enum _STORAGE_QUERY_TYPE { PropertyStandardQuery = 0, PropertyExistsQuery = 1 } STORAGE_QUERY_TYPE;

typedef struct _STORAGE_PROPERTY_QUERY {
    STORAGE_PROPERTY_ID PropertyId;
    STORAGE_QUERY_TYPE QueryType;
    BYTE AdditionalParameters[1];
} STORAGE_PROPERTY_QUERY, *PSTORAGE_PROPERTY_QUERY;
static_assert(sizeof(STORAGE_PROPERTY_QUERY) == 12, "Windows' layout");

typedef struct _STORAGE_DESCRIPTOR_HEADER {
    DWORD Version;
    DWORD Size;
} STORAGE_DESCRIPTOR_HEADER, *PSTORAGE_DESCRIPTOR_HEADER;

// The vendor, product and revision texts follow the record as narrow, zero-ended text at the given
// offsets from its start; an offset of 0 means the text is absent.
typedef struct _STORAGE_DEVICE_DESCRIPTOR {
    DWORD Version;
    DWORD Size;
    BYTE DeviceType;
    BYTE DeviceTypeModifier;
    BOOLEAN RemovableMedia;
    BOOLEAN CommandQueueing;
    DWORD VendorIdOffset;
    DWORD ProductIdOffset;
    DWORD ProductRevisionOffset;
    DWORD SerialNumberOffset;
    STORAGE_BUS_TYPE BusType;
    DWORD RawPropertiesLength;
    BYTE RawDeviceProperties[1];
} STORAGE_DEVICE_DESCRIPTOR, *PSTORAGE_DEVICE_DESCRIPTOR;
static_assert(sizeof(STORAGE_DEVICE_DESCRIPTOR) == 40, "Windows' layout");

typedef struct _STORAGE_ADAPTER_DESCRIPTOR {
    DWORD Version;
    DWORD Size;
    DWORD MaximumTransferLength;
    DWORD MaximumPhysicalPages;
    DWORD AlignmentMask;
    BOOLEAN AdapterUsesPio;
    BOOLEAN AdapterScansDown;
    BOOLEAN CommandQueueing;
    BOOLEAN AcceleratedTransfer;
    BYTE BusType;
    WORD BusMajorVersion;
    WORD BusMinorVersion;
    BYTE SrbType;
    BYTE AddressType;
} STORAGE_ADAPTER_DESCRIPTOR, *PSTORAGE_ADAPTER_DESCRIPTOR;
static_assert(sizeof(STORAGE_ADAPTER_DESCRIPTOR) == 32, "Windows' layout");

typedef enum _MEDIA_TYPE { RemovableMedia = 11, FixedMedia = 12 } MEDIA_TYPE;

typedef struct _DISK_GEOMETRY {
    LARGE_INTEGER Cylinders;
    MEDIA_TYPE MediaType;
    DWORD TracksPerCylinder;
    DWORD SectorsPerTrack;
    DWORD BytesPerSector;
} DISK_GEOMETRY, *PDISK_GEOMETRY;
static_assert(sizeof(DISK_GEOMETRY) == 24, "Windows' layout");

typedef struct _DISK_EXTENT {
    DWORD DiskNumber;
    LARGE_INTEGER StartingOffset;
    LARGE_INTEGER ExtentLength;
} DISK_EXTENT, *PDISK_EXTENT;

typedef struct _VOLUME_DISK_EXTENTS {
    DWORD NumberOfDiskExtents;
    DISK_EXTENT Extents[1];
} VOLUME_DISK_EXTENTS, *PVOLUME_DISK_EXTENTS;
static_assert(sizeof(VOLUME_DISK_EXTENTS) == 32, "Windows' layout");

typedef struct _GET_LENGTH_INFORMATION {
    LARGE_INTEGER Length;
} GET_LENGTH_INFORMATION, *PGET_LENGTH_INFORMATION;

DWORD GetLogicalDrives();
DWORD GetLogicalDriveStringsW(DWORD bufferLength, LPWSTR buffer);
UINT GetDriveTypeW(LPCWSTR rootPathName);
BOOL GetVolumeInformationW(LPCWSTR rootPathName, LPWSTR volumeNameBuffer, DWORD volumeNameSize,
                           LPDWORD volumeSerialNumber, LPDWORD maximumComponentLength, LPDWORD fileSystemFlags,
                           LPWSTR fileSystemNameBuffer, DWORD fileSystemNameSize);
// Sizes of the drive holding the folder: the machine's TotalBytes/FreeBytes where set, the host
// file system's otherwise.
BOOL GetDiskFreeSpaceExW(LPCWSTR directoryName, PULARGE_INTEGER freeBytesAvailableToCaller,
                         PULARGE_INTEGER totalNumberOfBytes, PULARGE_INTEGER totalNumberOfFreeBytes);
BOOL GetDiskFreeSpaceW(LPCWSTR rootPathName, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector,
                       LPDWORD numberOfFreeClusters, LPDWORD totalNumberOfClusters);
HANDLE FindFirstVolumeW(LPWSTR volumeName, DWORD bufferLength);
BOOL FindNextVolumeW(HANDLE findVolume, LPWSTR volumeName, DWORD bufferLength);
BOOL FindVolumeClose(HANDLE findVolume);
BOOL GetVolumeNameForVolumeMountPointW(LPCWSTR volumeMountPoint, LPWSTR volumeName, DWORD bufferLength);
BOOL GetVolumePathNamesForVolumeNameW(LPCWSTR volumeName, LPWSTR volumePathNames, DWORD bufferLength,
                                      LPDWORD returnLength);
DWORD QueryDosDeviceW(LPCWSTR deviceName, LPWSTR targetPath, DWORD maxChars);
// Writes the label into machine.ini.
BOOL SetVolumeLabelW(LPCWSTR rootPathName, LPCWSTR volumeName);

BOOL DeviceIoControl(HANDLE device, DWORD ioControlCode, LPVOID inBuffer, DWORD inBufferSize, LPVOID outBuffer,
                     DWORD outBufferSize, LPDWORD bytesReturned, LPOVERLAPPED overlapped);

#pragma GCC visibility pop
