#include "port/thread_site.h"

namespace port {
namespace {

thread_local int currentSite = -1;

}  // namespace

int ThreadSite() { return currentSite; }

ThreadSiteScope::ThreadSiteScope(int site) : previous_(currentSite) { currentSite = site; }

ThreadSiteScope::~ThreadSiteScope() { currentSite = previous_; }

}  // namespace port
