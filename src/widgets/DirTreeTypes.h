#pragma once
// The kinds of drive and folder the directory tree tells apart, and the records it hands to its owner.
//
// On Linux a "drive" is a top-level place in the tree: the root file system, the home folder, and the file
// systems mounted under the drive folders (/media, /mnt, /run/media). Folder attributes map as follows: a
// folder whose name begins with "." is hidden; a folder on which a kernel file system (proc, sysfs, ...) is
// mounted is a system folder; Linux has no archive attribute, so no folder carries one; read-only is never
// looked at.

#include <QString>

#include <dirent.h>

#include <cstdint>
#include <initializer_list>

// A set of the values of a small enumeration, in the manner of the control's property sets.
template <typename E>
class TEnumSet {
public:
    constexpr TEnumSet() = default;
    constexpr TEnumSet(std::initializer_list<E> values)
    {
        for (const E value : values)
            bits_ |= bit(value);
    }
    constexpr bool contains(E value) const { return (bits_ & bit(value)) != 0; }
    constexpr TEnumSet &insert(E value)
    {
        bits_ |= bit(value);
        return *this;
    }
    constexpr TEnumSet &remove(E value)
    {
        bits_ &= ~bit(value);
        return *this;
    }
    constexpr bool operator==(const TEnumSet &other) const = default;

private:
    static constexpr uint32_t bit(E value) { return 1u << static_cast<unsigned>(value); }
    uint32_t bits_ = 0;
};

enum class TDriveType { drtUnknown, drtRemovable, drtFixed, drtRemote, drtCDRom, drtRamDisk };
using TDriveTypes = TEnumSet<TDriveType>;

enum class TDirType { dtReadOnly, dtHidden, dtSystem, dtArchive, dtNormal, dtAll };
using TDirTypes = TEnumSet<TDirType>;

inline constexpr TDriveTypes kAllDriveTypes{TDriveType::drtUnknown, TDriveType::drtRemovable, TDriveType::drtFixed,
                                            TDriveType::drtRemote,  TDriveType::drtCDRom,     TDriveType::drtRamDisk};
inline constexpr TDirTypes kAllDirTypes{TDirType::dtReadOnly, TDirType::dtHidden, TDirType::dtSystem,
                                        TDirType::dtArchive,  TDirType::dtNormal, TDirType::dtAll};

// Attribute bits of a directory entry.
namespace DirAttr {
inline constexpr uint32_t ReadOnly = 0x01;
inline constexpr uint32_t Hidden = 0x02;
inline constexpr uint32_t System = 0x04;
inline constexpr uint32_t Directory = 0x10;
inline constexpr uint32_t Archive = 0x20;
}  // namespace DirAttr

// One entry of a folder enumeration. The control's own enumeration fills it from readdir(); an OnFindDir
// handler fills it itself. Whichever filled it, the control closes FindHandle (closedir) when the enumeration
// ends, so a handler that opens a directory stream keeps it here.
struct TDirRec {
    uint32_t Attr = 0;           // DirAttr bits; only entries with Directory count
    QString Name;                // the entry's name as the file system spells it
    DIR *FindHandle = nullptr;   // the directory stream the enumeration reads
    unsigned char FindType = 0;  // the raw entry type (DT_DIR, DT_LNK, ...), 0 when not known
    void *UserData = nullptr;    // set to the parent node's pointer before each call, handed to the child
};

// What a folder node knows about itself. A node without it is a placeholder, there only so that its parent
// shows an expand button.
struct TDirNodeData {
    QString Path;              // full path as the file system spells it, with a trailing "/"
    bool Listed = false;       // the subfolders have been read into child nodes
    void *UserData = nullptr;  // from the enumeration record (null with the built-in enumeration)
    int Overlay = -1;          // 0: marked as a shared folder; -1: no overlay
};
