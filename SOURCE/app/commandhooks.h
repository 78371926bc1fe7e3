// The main window's commands that open the windows of telephony, mail and
// the data dump: installed on the frame once it exists.
#pragma once

class CMainFrame;
class DataMan;
class TapiMan;
class UserMan;

void InstallCommandHooks(CMainFrame& frame, TapiMan& tapiMan, DataMan& dataMan, UserMan& userMan);
