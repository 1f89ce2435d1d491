#pragma once
// Settings that the running sites read are never written under them.
#include <functional>

// True, with the operator told that nothing was saved, while a site tests. An empty function: no site runs.
bool RefuseSaveWhileTesting(const std::function<bool()>& anySiteRunning);
