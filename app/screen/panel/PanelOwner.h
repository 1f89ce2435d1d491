#pragma once
// What the site panel asks of the window that holds it: the title after the model's settings were read again,
// and the zoom of every site view. A panel without such an owner (a test's bare panel) zooms the image
// library itself.
class PanelOwner {
 public:
  virtual void SetMainTitle() = 0;
  virtual void SetViewZoom(int zoom) = 0;

 protected:
  ~PanelOwner() = default;
};
