// The windows of telephony: TapiMan shows its calls through the call status
// dialog once this is installed at start-up, and the main window opens the
// dial, call log and speed dial dialogs through these functions.
#pragma once

#include "platform/wintypes.h"

#include <functional>
#include <string>

class DataMan;
class QWidget;
class TapiMan;

// Calls show their status dialog over the given window from now on.
void InstallTelephonyUi(TapiMan& tapiMan, DataMan& dataMan, QWidget* owner);

// The dialogs, modal over the owner.
void RunManualDial(
    TapiMan& tapiMan, QWidget* owner, std::function<void(const std::string& phone)> createContact);
void RunSpeedDial(TapiMan& tapiMan, DataMan& dataMan, QWidget* owner);
// The ten slots to edit.
void RunSpeedDialList(DataMan& dataMan, QWidget* owner);
void RunCallLog(TapiMan& tapiMan, DataMan& dataMan, QWidget* owner, u32 contactId, const std::string& title);
