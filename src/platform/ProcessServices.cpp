// What a program on the engine sets up once for its whole life.
#include "platform/ProcessServices.h"

#include <ole2.h>

namespace platform {

ProcessServices::ProcessServices() = default;

ProcessServices::~ProcessServices() = default;

ProcessServices::OleSession::OleSession() : result_(OleInitialize(nullptr)) {}

ProcessServices::OleSession::~OleSession() {
    if (SUCCEEDED(result_)) OleUninitialize();
}

}  // namespace platform
