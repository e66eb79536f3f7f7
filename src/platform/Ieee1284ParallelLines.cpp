#include "platform/Ieee1284ParallelLines.h"

#include <ieee1284.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

namespace vorpline {

namespace {

std::string PortName(uint16_t base) {
    char text[32];
    std::snprintf(text, sizeof text, "Parallel port 0x%04X", static_cast<unsigned>(base));
    return text;
}

// libieee1284 reports failures as negative E1284_* codes; E1284_SYS leaves the cause in errno.
std::string ErrorText(int code, int systemError) {
    switch (code) {
    case E1284_NOTIMPL:
        return "not implemented by libieee1284";
    case E1284_NOTAVAIL:
        return "not available on this system";
    case E1284_TIMEDOUT:
        return "timed out";
    case E1284_REJECTED:
        return "negotiation rejected";
    case E1284_NEGFAILED:
        return "negotiation failed";
    case E1284_NOMEM:
        return "out of memory";
    case E1284_INIT:
        return "the port could not be initialised (is the parport/ppdev driver loaded, and do "
               "you have access to /dev/parport*?)";
    case E1284_SYS:
        return std::string("system error: ") + std::strerror(systemError);
    case E1284_NOID:
        return "no IEEE 1284 device ID";
    case E1284_INVALIDPORT:
        return "invalid port";
    default:
        return "libieee1284 error " + std::to_string(code);
    }
}

} // namespace

void Ieee1284ParallelLines::PortListDeleter::operator()(parport_list* list) const {
    ieee1284_free_ports(list);
    delete list;
}

Ieee1284ParallelLines::Ieee1284ParallelLines(uint16_t base) : base(base) {
    auto list = std::make_unique<parport_list>();
    errno = 0;
    const int found = ieee1284_find_ports(list.get(), 0);
    if (found != E1284_OK) {
        throw std::runtime_error(PortName(base) +
                                 " not found: the parallel ports could not be "
                                 "listed (" +
                                 ErrorText(found, errno) + ")");
    }
    ports.reset(list.release());

    for (int i = 0; i < ports->portc; ++i) {
        if (ports->portv[i]->base_addr == base) {
            port = ports->portv[i];
            break;
        }
    }
    if (port == nullptr) {
        throw std::runtime_error(PortName(base) + " not found");
    }

    int capabilities = 0;
    errno = 0;
    const int opened = ieee1284_open(port, 0, &capabilities);
    if (opened != E1284_OK) {
        port = nullptr;
        throw std::runtime_error(PortName(base) +
                                 " could not be opened: " + ErrorText(opened, errno));
    }
    errno = 0;
    const int claimed = ieee1284_claim(port);
    if (claimed != E1284_OK) {
        const int systemError = errno;
        ieee1284_close(port);
        port = nullptr;
        throw std::runtime_error(PortName(base) +
                                 " could not be claimed: " + ErrorText(claimed, systemError));
    }
}

Ieee1284ParallelLines::~Ieee1284ParallelLines() {
    if (port != nullptr) {
        ieee1284_release(port);
        ieee1284_close(port);
    }
}

void Ieee1284ParallelLines::WriteData(uint8_t value) {
    ieee1284_write_data(port, value);
}

uint8_t Ieee1284ParallelLines::ReadData() {
    errno = 0;
    const int value = ieee1284_read_data(port);
    if (value < 0) {
        throw std::runtime_error(PortName(base) +
                                 ": data lines could not be read: " + ErrorText(value, errno));
    }
    return static_cast<uint8_t>(value);
}

void Ieee1284ParallelLines::WriteControl(uint8_t logicValue) {
    ieee1284_write_control(port, logicValue);
}

uint8_t Ieee1284ParallelLines::ReadControl() {
    errno = 0;
    const int value = ieee1284_read_control(port);
    if (value < 0) {
        throw std::runtime_error(PortName(base) +
                                 ": control lines could not be read: " + ErrorText(value, errno));
    }
    return static_cast<uint8_t>(value);
}

} // namespace vorpline
