#include "QRVBaseApp.h"

int main(int argc, char** argv) {
  CQRVBaseApp app(argc, argv);
  return app.InitInstance();
}
