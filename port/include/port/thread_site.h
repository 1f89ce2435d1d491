#pragma once
// The site a thread is testing for. A site's item calls down through the libraries on its own thread, so
// a layer far below the site runner can still tell the sites apart (a simulated board routes each site's
// calls to the module on that site's channel).
#include "port/export.h"

namespace port {

// The calling thread's site, or -1 on a thread that runs no site's item.
PORT_API int ThreadSite();

// The channel of a board with `channels` channels that the calling thread's calls reach: its site's, channel
// 0 on a thread that runs no site.
PORT_API int ThreadChannel(int channels);

// Marks the calling thread as working for `site` for the scope's life, then restores what it was.
class PORT_API ThreadSiteScope {
 public:
  explicit ThreadSiteScope(int site);
  ~ThreadSiteScope();
  ThreadSiteScope(const ThreadSiteScope&) = delete;
  ThreadSiteScope& operator=(const ThreadSiteScope&) = delete;

 private:
  int previous_;
};

}  // namespace port
