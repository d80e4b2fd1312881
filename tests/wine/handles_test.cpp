// The GDI selection guard: what it selects, what it puts back and when, nested
// guards unwinding in order, and selections that fail or have nothing to select.
// And the COM objects of the program's own: what QueryInterface answers, the
// count, and the ComPtr helpers.
#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "check.h"
#include "platform/ComObject.h"
#include "platform/ComPointers.h"
#include "platform/Handles.h"

namespace {

HGDIOBJ Current(HDC dc, UINT type) { return GetCurrentObject(dc, type); }

SIZE Extent(HDC dc) {
  SIZE size{};
  GetTextExtentPoint32W(dc, L"WWWW", 4, &size);
  return size;
}

GdiObject MakeDib(int width, int height, uint32_t** pixels) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  GdiObject bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  *pixels = static_cast<uint32_t*>(bits);
  return bitmap;
}

TEST(FontIsSelectedInScopeAndTheOldOneRestoredAfter) {
  const OwnedDc dc(CreateCompatibleDC(nullptr));
  CHECK(dc);
  const HGDIOBJ original = Current(dc.Get(), OBJ_FONT);
  const SIZE before = Extent(dc.Get());
  SIZE inFont{};
  const GdiObject font(CreateFontW(-48, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH, L"Arial"));
  CHECK(font);
  {
    const SelectedObject useFont(dc.Get(), font.Get());
    CHECK(useFont);
    CHECK_EQ(useFont.Previous(), original);
    CHECK_EQ(Current(dc.Get(), OBJ_FONT), font.Get());
    inFont = Extent(dc.Get());
  }
  CHECK_EQ(Current(dc.Get(), OBJ_FONT), original);
  // Text is measured with the big font only while the guard holds it.
  CHECK(inFont.cy > before.cy);
  CHECK(inFont.cx > before.cx);
  CHECK_EQ(Extent(dc.Get()).cx, before.cx);
  CHECK_EQ(Extent(dc.Get()).cy, before.cy);
}

TEST(NestedGuardsUnwindInReverseOrder) {
  const OwnedDc dc(CreateCompatibleDC(nullptr));
  const HGDIOBJ originalBrush = Current(dc.Get(), OBJ_BRUSH);
  const HGDIOBJ originalPen = Current(dc.Get(), OBJ_PEN);
  const GdiObject red(CreateSolidBrush(RGB(255, 0, 0)));
  const GdiObject blue(CreateSolidBrush(RGB(0, 0, 255)));
  const GdiObject pen(CreatePen(PS_SOLID, 3, RGB(0, 255, 0)));
  {
    const SelectedObject useRed(dc.Get(), red.Get());
    const SelectedObject usePen(dc.Get(), pen.Get());
    {
      const SelectedObject useBlue(dc.Get(), blue.Get());
      CHECK_EQ(useBlue.Previous(), red.Get());
      CHECK_EQ(Current(dc.Get(), OBJ_BRUSH), blue.Get());
    }
    CHECK_EQ(Current(dc.Get(), OBJ_BRUSH), red.Get());
    CHECK_EQ(Current(dc.Get(), OBJ_PEN), pen.Get());
  }
  CHECK_EQ(Current(dc.Get(), OBJ_BRUSH), originalBrush);
  CHECK_EQ(Current(dc.Get(), OBJ_PEN), originalPen);
}

// Drawing goes into the selected bitmap, and once the guard ends the bitmap is
// free to be selected into another DC.
TEST(BitmapIsReleasedFromTheDcWhenTheGuardEnds) {
  const OwnedDc first(CreateCompatibleDC(nullptr));
  const OwnedDc second(CreateCompatibleDC(nullptr));
  uint32_t* pixels = nullptr;
  const GdiObject bitmap = MakeDib(4, 4, &pixels);
  CHECK(bitmap);
  CHECK(pixels != nullptr);
  const HGDIOBJ defaultBitmap = Current(first.Get(), OBJ_BITMAP);
  {
    const SelectedObject useBitmap(first.Get(), bitmap.Get());
    CHECK(useBitmap);
    CHECK_EQ(useBitmap.Previous(), defaultBitmap);
    const GdiObject brush(CreateSolidBrush(RGB(0x12, 0x34, 0x56)));
    const RECT all{0, 0, 4, 4};
    FillRect(first.Get(), &all, static_cast<HBRUSH>(brush.Get()));
    GdiFlush();
    CHECK_EQ(pixels[5] & 0x00FFFFFFu, 0x00123456u);
  }
  CHECK_EQ(Current(first.Get(), OBJ_BITMAP), defaultBitmap);
  const SelectedObject elsewhere(second.Get(), bitmap.Get());
  CHECK(elsewhere);
  CHECK_EQ(Current(second.Get(), OBJ_BITMAP), bitmap.Get());
}

// A bitmap already in one DC cannot go into another: the failed guard holds
// nothing and puts nothing back.
TEST(FailedSelectionRestoresNothing) {
  const OwnedDc first(CreateCompatibleDC(nullptr));
  const OwnedDc second(CreateCompatibleDC(nullptr));
  uint32_t* pixels = nullptr;
  const GdiObject bitmap = MakeDib(2, 2, &pixels);
  const SelectedObject inFirst(first.Get(), bitmap.Get());
  CHECK(inFirst);
  const HGDIOBJ secondBefore = Current(second.Get(), OBJ_BITMAP);
  {
    const SelectedObject inSecond(second.Get(), bitmap.Get());
    CHECK(!inSecond);
    CHECK_EQ(inSecond.Previous(), static_cast<HGDIOBJ>(nullptr));
    CHECK_EQ(Current(second.Get(), OBJ_BITMAP), secondBefore);
  }
  CHECK_EQ(Current(second.Get(), OBJ_BITMAP), secondBefore);
  CHECK_EQ(Current(first.Get(), OBJ_BITMAP), bitmap.Get());
}

TEST(NothingToSelectLeavesTheDcAlone) {
  const OwnedDc dc(CreateCompatibleDC(nullptr));
  const HGDIOBJ original = Current(dc.Get(), OBJ_FONT);
  {
    const SelectedObject noObject(dc.Get(), nullptr);
    CHECK(!noObject);
    CHECK_EQ(Current(dc.Get(), OBJ_FONT), original);
  }
  CHECK_EQ(Current(dc.Get(), OBJ_FONT), original);
  const GdiObject font(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial"));
  const SelectedObject noDc(nullptr, font.Get());
  CHECK(!noDc);
}

// --- COM objects of the program's own, and the ComPtr helpers ---

// Two interfaces, the second named with its base; counts its deletes.
class Probe final : public ComObject<ISequentialStream, WithBases<IPersistStream, IPersist>> {
 public:
  explicit Probe(int* deletes) : deletes_(deletes) {}
  HRESULT STDMETHODCALLTYPE Read(void*, ULONG, ULONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE Load(IStream*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Save(IStream*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }

 private:
  ~Probe() override { ++*deletes_; }
  int* deletes_;
};

const IID* const kProbeAnswers[] = {&IID_IUnknown, &IID_ISequentialStream, &IID_IPersistStream, &IID_IPersist};

TEST(ComObjectAnswersEachListedInterfaceAndTheNamedBases) {
  int deletes = 0;
  ComPtr<Probe> probe;
  probe.Attach(new Probe(&deletes));
  Probe* p = probe.Get();
  const void* expected[] = {static_cast<ISequentialStream*>(p), static_cast<ISequentialStream*>(p),
                            static_cast<IPersistStream*>(p), static_cast<IPersist*>(p)};
  for (size_t i = 0; i < 4; ++i) {
    void* out = nullptr;
    CHECK_EQ(std::make_pair(i, p->QueryInterface(*kProbeAnswers[i], &out)), std::make_pair(i, S_OK));
    CHECK_EQ(std::make_pair(i, static_cast<const void*>(out)), std::make_pair(i, expected[i]));
    // COM identity: the same IUnknown whichever interface is asked.
    CHECK(SameComObject(static_cast<IUnknown*>(out), static_cast<ISequentialStream*>(p)));
    static_cast<IUnknown*>(out)->Release();
  }
  // Not listed: an interface derived from a listed one, and an unrelated one.
  void* out = p;
  CHECK_EQ(p->QueryInterface(IID_IStream, &out), E_NOINTERFACE);
  CHECK(out == nullptr);
  CHECK(!QueryComPtr<IDispatch>(p));
  CHECK_EQ(p->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
  const ComPtr<IPersist> persist = QueryComPtr<IPersist>(static_cast<ISequentialStream*>(p));
  CHECK(persist.Get() == expected[3]);
  CHECK_EQ(ShareComPtr(p)->References(), ULONG{3});  // probe's, persist's and the shared one
  CHECK(!ShareComPtr<IPersist>(nullptr));
  CHECK_EQ(p->References(), ULONG{2});
  CHECK_EQ(deletes, 0);
}

// References taken by AddRef or by asking for a random interface and given back
// in a random order, against a plain count: the object goes exactly at the last.
TEST(ComObjectCountMatchesAPlainCountOverRandomReferences) {
  for (unsigned seed = 1; seed <= 40; ++seed) {
    std::mt19937 random(seed);
    int deletes = 0;
    auto* probe = new Probe(&deletes);
    std::vector<IUnknown*> held = {static_cast<ISequentialStream*>(probe)};
    for (int step = static_cast<int>(random() % 60); step >= 0; --step) {
      IUnknown* any = held[random() % held.size()];
      void* out = any;
      if (random() % 2) any->AddRef(); else any->QueryInterface(*kProbeAnswers[random() % 4], &out);
      held.push_back(static_cast<IUnknown*>(out));
      CHECK_EQ(std::make_pair(seed, probe->References()), std::make_pair(seed, static_cast<ULONG>(held.size())));
    }
    std::shuffle(held.begin(), held.end(), random);
    for (; !held.empty(); held.pop_back()) {
      CHECK_EQ(std::make_pair(seed, deletes), std::make_pair(seed, 0));
      CHECK_EQ(std::make_pair(seed, held.back()->Release()), std::make_pair(seed, static_cast<ULONG>(held.size() - 1)));
    }
    CHECK_EQ(std::make_pair(seed, deletes), std::make_pair(seed, 1));
  }
}

}  // namespace

CHECK_MAIN()
