#include "ui/progress_bar.h"

#include <algorithm>

namespace {

// The constant alphas of the six chunks of the sweep, from its tail to its head.
const BYTE kSweepAlphas[6] = {63, 127, 255, 255, 127, 63};
const wchar_t kProgressThemeClass[] = L"PROGRESS";

int32_t Width(const RECT& r) { return r.right - r.left; }
int32_t Height(const RECT& r) { return r.bottom - r.top; }

int32_t CeilDivide(int64_t value, int32_t divisor)
{
    return static_cast<int32_t>((value + divisor - 1) / divisor);
}

// A memory device context with one bitmap selected, both restored on exit.
class SelectedBitmap {
public:
    SelectedBitmap(HDC like, HBITMAP bitmap) : dc_(CreateCompatibleDC(like)), previous_(nullptr)
    {
        if (dc_)
            previous_ = SelectObject(dc_, bitmap);
    }
    ~SelectedBitmap()
    {
        if (!dc_)
            return;
        SelectObject(dc_, previous_);
        DeleteDC(dc_);
    }
    SelectedBitmap(const SelectedBitmap&) = delete;
    SelectedBitmap& operator=(const SelectedBitmap&) = delete;
    HDC dc() const { return dc_; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

void FillSolid(HDC dc, const RECT& r, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    if (!brush)
        return;
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

}  // namespace

int32_t ChunkSlots(int32_t width, int32_t gap, int32_t pitch)
{
    int64_t room = static_cast<int64_t>(width) - gap;
    if (room <= 0 || pitch <= 0)
        return 0;
    return CeilDivide(room, pitch);
}

int32_t FilledChunks(int32_t width, uint32_t done, uint32_t total, int32_t gap, int32_t pitch)
{
    if (total == 0 || width <= 0 || pitch <= 0)
        return 0;
    uint64_t measured = static_cast<uint64_t>(width) * done / total;
    // More done than total shows a full bar, not chunks past its end.
    int64_t filled = static_cast<int64_t>(std::min<uint64_t>(measured, static_cast<uint64_t>(width))) - gap;
    if (filled < 0)
        return 0;
    return CeilDivide(filled, pitch);
}

const CRuntimeClass CProgressBar::classCProgressBar = {"CProgressBar", &CStatic::classCStatic};

const AFX_MSGMAP_ENTRY CProgressBar::messageEntries[] = {
    {WM_PAINT, 0, 0, AFX_HANDLER(&CProgressBar::OnPaint)},
    {WM_PRINTCLIENT, 0, 0, AFX_HANDLER(&CProgressBar::OnPrintClient)},
    {WM_TIMER, 0, 0, AFX_HANDLER(&CProgressBar::OnTimer)},
    {WM_SYSCOLORCHANGE, 0, 0, AFX_HANDLER(&CProgressBar::OnRebuildMessage)},
    {WM_THEMECHANGED, 0, 0, AFX_HANDLER(&CProgressBar::OnRebuildMessage)},
    {WM_SIZE, 0, 0, AFX_HANDLER(&CProgressBar::OnSize)},
    {WM_ERASEBKGND, 0, 0, AFX_HANDLER(&CProgressBar::OnEraseBackground)},
    {0, 0, 0, nullptr},
};
const AFX_MSGMAP CProgressBar::messageMap = {&CWnd::messageMap, CProgressBar::messageEntries};

const AFX_MSGMAP* CProgressBar::GetMessageMap() const { return &messageMap; }

const CRuntimeClass* CProgressBar::GetRuntimeClass() const { return &classCProgressBar; }

CProgressBar::CProgressBar()
    : done(0),
      total(0),
      theme(nullptr),
      chunkColour(GetSysColor(COLOR_ACTIVECAPTION)),
      chunkWidth(kPlainChunkWidth),
      chunkGap(kPlainChunkGap),
      chunkPitch(kPlainChunkWidth + kPlainChunkGap),
      chunkHeight(0),
      animating(false),
      phase(0),
      shownWidth_(-1),
      shownChunks_(-1)
{
}

CProgressBar::~CProgressBar()
{
    if (animating && m_hWnd)
        KillTimer(m_hWnd, kTimerId);
    CloseTheme();
}

void CProgressBar::SetPos(uint32_t newDone, uint32_t newTotal)
{
    // The same pair again changes nothing, unless the bar is busy: a measure
    // reported after a busy phase must show, even when it equals the last.
    if (newDone == done && newTotal == total && !animating)
        return;
    bool looksTheSame = !animating && shownWidth_ >= 0 &&
                        FilledChunks(shownWidth_, newDone, newTotal, chunkGap, chunkPitch) == shownChunks_;
    done = newDone;
    total = newTotal;
    if (looksTheSame)
        return;
    SetMarquee(false);
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CProgressBar::SetMarquee(bool on)
{
    if (animating == on)
        return;
    animating = on;
    if (on) {
        SetTimer(m_hWnd, kTimerId, kTimerPeriodMs, nullptr);
        Rebuild();
        phase = 0;
    } else {
        KillTimer(m_hWnd, kTimerId);
    }
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CProgressBar::CloseTheme()
{
    if (theme && Themes().CloseThemeData)
        Themes().CloseThemeData(theme);
    theme = nullptr;
}

void CProgressBar::ReadChunkMetrics()
{
    chunkWidth = kPlainChunkWidth;
    chunkGap = kPlainChunkGap;
    chunkColour = GetSysColor(COLOR_ACTIVECAPTION);
    GetThemeMetricFn metric = Themes().GetThemeMetric;
    if (!theme || !metric)
        return;
    // A style may leave the metrics out: a chunk must be wider than 0 and a
    // gap not below 0 for the drawing to work, so anything else keeps the
    // plain sizes.
    int value = 0;
    if (SUCCEEDED(metric(theme, nullptr, kProgressBarPart, 0, kThemeChunkSize, &value)) && value > 0)
        chunkWidth = value;
    value = 0;
    if (SUCCEEDED(metric(theme, nullptr, kProgressBarPart, 0, kThemeSpaceSize, &value)) && value >= 0)
        chunkGap = value;
}

void CProgressBar::Rebuild()
{
    shownWidth_ = -1;
    CloseTheme();
    chunkImage.Release();
    if (ThemesActive() && Themes().OpenThemeData)
        theme = Themes().OpenThemeData(m_hWnd, kProgressThemeClass);
    ReadChunkMetrics();
    chunkPitch = chunkWidth + chunkGap;
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    if (Width(client) <= 0)
        return;
    backBuffer.Create(Width(client), Height(client), 24);
    if (animating)
        BuildChunkImage(client);
}

void CProgressBar::BuildChunkImage(const RECT& client)
{
    HDC screen = GetDC(m_hWnd);
    RECT content = ContentRect(screen, client);
    chunkHeight = Height(content);
    if (chunkImage.Create(chunkWidth, chunkHeight, 32)) {
        SelectedBitmap image(screen, chunkImage.bitmap);
        RECT chunk = {0, 0, chunkWidth, chunkHeight};
        DrawChunk(image.dc(), chunk);
        GdiFlush();
        // The drawing leaves the alpha bytes as it likes; the blend takes the
        // whole chunk as opaque and fades it with the constant alpha.
        BYTE* pixel = static_cast<BYTE*>(chunkImage.bits);
        for (int32_t i = 0; i < chunkWidth * chunkHeight; ++i) pixel[i * 4 + 3] = 255;
    }
    ReleaseDC(m_hWnd, screen);
}

RECT CProgressBar::ContentRect(HDC dc, const RECT& client) const
{
    RECT content = client;
    GetThemeBackgroundContentRectFn themed = Themes().GetThemeBackgroundContentRect;
    if (theme && themed && SUCCEEDED(themed(theme, dc, kProgressBarPart, 0, &client, &content)))
        return content;
    content = client;
    InflateRect(&content, -2, -2);
    return content;
}

void CProgressBar::DrawFrame(HDC dc, const RECT& client)
{
    DrawThemeBackgroundFn themed = Themes().DrawThemeBackground;
    if (theme && themed && SUCCEEDED(themed(theme, dc, kProgressBarPart, 0, &client, nullptr)))
        return;
    RECT edge = client;
    DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT | BF_MIDDLE);
}

void CProgressBar::DrawChunk(HDC dc, const RECT& chunk)
{
    DrawThemeBackgroundFn themed = Themes().DrawThemeBackground;
    if (theme && themed && SUCCEEDED(themed(theme, dc, kProgressChunkPart, 0, &chunk, nullptr)))
        return;
    FillSolid(dc, chunk, chunkColour);
}

void CProgressBar::DrawSweep(HDC dc, const RECT& content)
{
    shownWidth_ = -1;
    int32_t slots = ChunkSlots(Width(content), chunkGap, chunkPitch);
    if (slots == 0)
        return;
    SelectedBitmap image(dc, chunkImage.bitmap);
    for (uint32_t i = 0; i < 6; ++i) {
        int32_t slot = static_cast<int32_t>((phase + i) % static_cast<uint32_t>(slots));
        int32_t left = content.left + slot * chunkPitch;
        int32_t right = std::min(left + chunkWidth, static_cast<int32_t>(content.right));
        if (right <= left)
            continue;
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, kSweepAlphas[i], AC_SRC_ALPHA};
        AlphaBlend(dc, left, content.top, right - left, chunkHeight, image.dc(), 0, 0, right - left,
                   chunkHeight, blend);
    }
}

void CProgressBar::DrawMeasure(HDC dc, const RECT& content)
{
    int32_t count = FilledChunks(Width(content), done, total, chunkGap, chunkPitch);
    shownWidth_ = Width(content);
    shownChunks_ = count;
    for (int32_t i = 0; i < count; ++i) {
        int32_t left = content.left + i * chunkPitch;
        if (left >= content.right)
            break;
        RECT chunk = {left, content.top, std::min(left + chunkWidth, static_cast<int32_t>(content.right)),
                      content.bottom};
        DrawChunk(dc, chunk);
    }
}

void CProgressBar::Render(HDC target)
{
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    if (!backBuffer || backBuffer.width != Width(client) || backBuffer.height != Height(client))
        Rebuild();
    if (!backBuffer)
        return;
    SelectedBitmap buffer(target, backBuffer.bitmap);
    HDC dc = buffer.dc();
    DrawFrame(dc, client);
    RECT content = ContentRect(dc, client);
    if (animating && chunkImage)
        DrawSweep(dc, content);
    else if (!animating)
        DrawMeasure(dc, content);
    BitBlt(target, 0, 0, Width(client), Height(client), dc, 0, 0, SRCCOPY);
}

LRESULT CProgressBar::OnPaint(WPARAM, LPARAM)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    if (dc)
        Render(dc);
    EndPaint(m_hWnd, &paint);
    return 0;
}

LRESULT CProgressBar::OnPrintClient(WPARAM wParam, LPARAM)
{
    Render(reinterpret_cast<HDC>(wParam));
    return 0;
}

LRESULT CProgressBar::OnTimer(WPARAM, LPARAM)
{
    ++phase;
    InvalidateRect(m_hWnd, nullptr, FALSE);
    return 0;
}

LRESULT CProgressBar::OnRebuildMessage(WPARAM, LPARAM)
{
    Rebuild();
    InvalidateRect(m_hWnd, nullptr, FALSE);
    return 0;
}

LRESULT CProgressBar::OnSize(WPARAM, LPARAM lParam)
{
    if (LOWORD(lParam) != 0 && HIWORD(lParam) != 0)
        Rebuild();
    return 0;
}

LRESULT CProgressBar::OnEraseBackground(WPARAM, LPARAM) { return 1; }
