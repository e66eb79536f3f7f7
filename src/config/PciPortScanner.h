#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace vorpline {

// The PCI sound cards whose chip and mixer ports the program can find by itself.
enum class PciCard {
    FM801,   // Fortemedia FM801, vendor 0x1319 device 0x0801
    SOLO1,   // ESS Solo-1, vendor 0x125D device 0x1969
    ALS4000, // Avance Logic ALS4000, vendor 0x4005 device 0x4000
};

// Finds the I/O port bases of PCI sound cards through the kernel's PCI device folders
// (normally /sys/bus/pci/devices/<address>/ with the files `vendor`, `device` and `resource`).
// Files that are missing, unreadable or malformed make that device or BAR contribute nothing.
// Reads files only; any thread.
class PciPortScanner {
public:
    static constexpr const char* kSysfsRoot = "/sys/bus/pci/devices";

    explicit PciPortScanner(std::string root = kSysfsRoot);

    // The I/O port bases of every installed `card`, smallest first, duplicates kept; empty when
    // there is none. FM801 and ALS4000 contribute the start of each assigned I/O BAR (0..5),
    // SOLO1 only that of BAR 2, the range holding the chip's ports. The chip's range is the
    // third of the card's resource descriptors, and as all five Solo-1 BARs are I/O ranges the
    // descriptors follow the BAR order, so the third descriptor is BAR 2.
    std::vector<uint16_t> Scan(PciCard card) const;

private:
    std::string root;
};

} // namespace vorpline
