#include "app/win32/PageArt.h"

#include "app/PageLayout.h"
#include "app/ResourceIds.h"

namespace {

HICON ProgramIcon() {
  return ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PROGRAM));
}

void PaintPage(HWND page);

}  // namespace

void SetPageIcons(HWND page) {
  HINSTANCE program = ::GetModuleHandleA(nullptr);
  HICON big = ProgramIcon();
  HICON small = static_cast<HICON>(::LoadImageA(program, MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON,
                                                ::GetSystemMetrics(SM_CXSMICON),
                                                ::GetSystemMetrics(SM_CYSMICON), 0));
  ::SendMessageA(page, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  ::SendMessageA(page, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small ? small : big));
}

bool HandlePageArtMessage(HWND page, UINT message, INT_PTR* result) {
  switch (message) {
    case WM_PAINT:
      PaintPage(page);
      *result = TRUE;
      return true;
    case WM_QUERYDRAGICON:
      *result = reinterpret_cast<INT_PTR>(ProgramIcon());
      ::SetWindowLongPtrA(page, DWLP_MSGRESULT, *result);
      return true;
    default:
      return false;
  }
}

namespace {

void PaintPage(HWND page) {
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(page, &paint);
  RECT client;
  ::GetClientRect(page, &client);
  if (::IsIconic(page)) {
    int x = 0;
    int y = 0;
    IconOrigin(client.right, client.bottom, ::GetSystemMetrics(SM_CXICON),
               ::GetSystemMetrics(SM_CYICON), &x, &y);
    ::DrawIcon(dc, x, y, ProgramIcon());
  } else {
    const BannerPlacement banner = PlaceBanner(client.right, client.bottom);
    HBITMAP bitmap = ::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(banner.bitmapId));
    if (bitmap != nullptr) {
      BITMAP size;
      ::GetObjectA(bitmap, sizeof size, &size);
      HDC source = ::CreateCompatibleDC(dc);
      HGDIOBJ old = ::SelectObject(source, bitmap);
      ::BitBlt(dc, banner.x, banner.y, size.bmWidth, size.bmHeight, source, 0, 0, SRCCOPY);
      ::SelectObject(source, old);
      ::DeleteDC(source);
      ::DeleteObject(bitmap);
    }
  }
  ::EndPaint(page, &paint);
}

}  // namespace
