#include "port/thread_site.h"

#include <algorithm>

namespace port {
namespace {

thread_local int currentSite = -1;

}  // namespace

int ThreadSite() { return currentSite; }

int ThreadChannel(int channels) { return std::clamp(currentSite, 0, std::max(channels, 1) - 1); }

ThreadSiteScope::ThreadSiteScope(int site) : previous_(currentSite) { currentSite = site; }

ThreadSiteScope::~ThreadSiteScope() { currentSite = previous_; }

}  // namespace port
