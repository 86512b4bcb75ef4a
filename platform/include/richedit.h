// Rich edit messages, notifications and structures, as the windowless text
// services ("msftedit.dll", textserv.h) understand them.
#pragma once

#include "win/base.h"
#include "win/gdi.h"
#include "win/user.h"  // NMHDR

using LCID = DWORD;

// Messages. The plain edit ones (EM_SETSEL ... EM_REPLACESEL) share their numbers
// with the edit control.
constexpr UINT EM_GETSEL = 0x00B0;
constexpr UINT EM_SETSEL = 0x00B1;
constexpr UINT EM_LINESCROLL = 0x00B6;
constexpr UINT EM_GETLINECOUNT = 0x00BA;
constexpr UINT EM_REPLACESEL = 0x00C2;
constexpr UINT EM_GETFIRSTVISIBLELINE = 0x00CE;
constexpr UINT EM_SETREADONLY = 0x00CF;
constexpr UINT EM_EXGETSEL = 0x0434;
constexpr UINT EM_EXLIMITTEXT = 0x0435;
constexpr UINT EM_EXSETSEL = 0x0437;
constexpr UINT EM_GETCHARFORMAT = 0x043A;
constexpr UINT EM_GETEVENTMASK = 0x043B;
constexpr UINT EM_SETBKGNDCOLOR = 0x0443;
constexpr UINT EM_SETCHARFORMAT = 0x0444;
constexpr UINT EM_SETEVENTMASK = 0x0445;
constexpr UINT EM_GETSELTEXT = 0x043E;
constexpr UINT EM_GETTEXTEX = 0x045E;
constexpr UINT EM_GETTEXTLENGTHEX = 0x045F;
constexpr UINT EM_SETLANGOPTIONS = 0x0478;
constexpr UINT EM_GETLANGOPTIONS = 0x0479;

// Edit style that keeps the scroll bars, disabled, when there is nothing to scroll.
constexpr DWORD ES_DISABLENOSCROLL = 0x00002000;

// Notifications (TxNotify codes).
constexpr UINT EN_SETFOCUS = 0x0100;
constexpr UINT EN_KILLFOCUS = 0x0200;
constexpr UINT EN_CHANGE = 0x0300;
constexpr UINT EN_UPDATE = 0x0400;
constexpr UINT EN_MAXTEXT = 0x0501;
constexpr UINT EN_HSCROLL = 0x0601;
constexpr UINT EN_VSCROLL = 0x0602;
constexpr UINT EN_MSGFILTER = 0x0700;
constexpr UINT EN_REQUESTRESIZE = 0x0701;
constexpr UINT EN_SELCHANGE = 0x0702;
constexpr UINT EN_DROPFILES = 0x0703;
constexpr UINT EN_PROTECTED = 0x0704;
constexpr UINT EN_CORRECTTEXT = 0x0705;
constexpr UINT EN_STOPNOUNDO = 0x0706;
constexpr UINT EN_IMECHANGE = 0x0707;
constexpr UINT EN_SAVECLIPBOARD = 0x0708;
constexpr UINT EN_OLEOPFAILED = 0x0709;
constexpr UINT EN_OBJECTPOSITIONS = 0x070A;
constexpr UINT EN_LINK = 0x070B;
constexpr UINT EN_DRAGDROPDONE = 0x070C;

// Event mask (EM_SETEVENTMASK).
constexpr DWORD ENM_NONE = 0x00000000;
constexpr DWORD ENM_CHANGE = 0x00000001;
constexpr DWORD ENM_UPDATE = 0x00000002;
constexpr DWORD ENM_SCROLL = 0x00000004;
constexpr DWORD ENM_SELCHANGE = 0x00080000;
constexpr DWORD ENM_REQUESTRESIZE = 0x00040000;

// Selection type of EN_SELCHANGE.
constexpr WORD SEL_EMPTY = 0x0000;
constexpr WORD SEL_TEXT = 0x0001;
constexpr WORD SEL_MULTICHAR = 0x0004;

// EM_GETTEXTEX and EM_GETTEXTLENGTHEX.
constexpr DWORD GT_DEFAULT = 0;
constexpr DWORD GT_USECRLF = 1;
constexpr DWORD GT_SELECTION = 2;
constexpr DWORD GT_RAWTEXT = 4;
constexpr DWORD GT_NOHIDDENTEXT = 8;
constexpr DWORD GTL_DEFAULT = 0;
constexpr DWORD GTL_USECRLF = 1;
constexpr DWORD GTL_PRECISE = 2;
constexpr DWORD GTL_CLOSE = 4;
constexpr DWORD GTL_NUMCHARS = 8;
constexpr DWORD GTL_NUMBYTES = 16;

struct CHARRANGE {
  LONG cpMin;
  LONG cpMax;
};

struct GETTEXTEX {
  DWORD cb;  // size of the buffer in bytes
  DWORD flags;
  UINT codepage;
  LPCSTR lpDefaultChar;
  LPBOOL lpUsedDefChar;
};

struct GETTEXTLENGTHEX {
  DWORD flags;
  UINT codepage;
};

struct REQRESIZE {
  NMHDR nmhdr;
  RECT rc;
};

struct SELCHANGE {
  NMHDR nmhdr;
  CHARRANGE chrg;
  WORD seltyp;
};

// Character formats.
constexpr DWORD CFM_BOLD = 0x00000001;
constexpr DWORD CFM_ITALIC = 0x00000002;
constexpr DWORD CFM_UNDERLINE = 0x00000004;
constexpr DWORD CFM_STRIKEOUT = 0x00000008;
constexpr DWORD CFM_PROTECTED = 0x00000010;
constexpr DWORD CFM_LINK = 0x00000020;
constexpr DWORD CFM_WEIGHT = 0x00400000;
constexpr DWORD CFM_BACKCOLOR = 0x04000000;
constexpr DWORD CFM_CHARSET = 0x08000000;
constexpr DWORD CFM_OFFSET = 0x10000000;
constexpr DWORD CFM_FACE = 0x20000000;
constexpr DWORD CFM_COLOR = 0x40000000;
constexpr DWORD CFM_SIZE = 0x80000000;
constexpr DWORD CFM_ALL = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_PROTECTED | CFM_COLOR | CFM_FACE |
                          CFM_SIZE | CFM_OFFSET | CFM_CHARSET;

constexpr DWORD CFE_BOLD = 0x00000001;
constexpr DWORD CFE_ITALIC = 0x00000002;
constexpr DWORD CFE_UNDERLINE = 0x00000004;
constexpr DWORD CFE_STRIKEOUT = 0x00000008;
constexpr DWORD CFE_PROTECTED = 0x00000010;
constexpr DWORD CFE_LINK = 0x00000020;
constexpr DWORD CFE_AUTOBACKCOLOR = 0x04000000;
constexpr DWORD CFE_AUTOCOLOR = 0x40000000;

struct CHARFORMATW {
  UINT cbSize;
  DWORD dwMask;
  DWORD dwEffects;
  LONG yHeight;  // twips
  LONG yOffset;
  COLORREF crTextColor;
  BYTE bCharSet;
  BYTE bPitchAndFamily;
  WCHAR szFaceName[LF_FACESIZE];
};

struct CHARFORMAT2W : CHARFORMATW {
  WORD wWeight;
  SHORT sSpacing;
  COLORREF crBackColor;
  LCID lcid;
  DWORD dwReserved;
  SHORT sStyle;
  WORD wKerning;
  BYTE bUnderlineType;
  BYTE bAnimation;
  BYTE bRevAuthor;
  BYTE bUnderlineColor;
};

// Paragraph formats.
constexpr int MAX_TAB_STOPS = 32;

constexpr DWORD PFM_STARTINDENT = 0x00000001;
constexpr DWORD PFM_RIGHTINDENT = 0x00000002;
constexpr DWORD PFM_OFFSET = 0x00000004;
constexpr DWORD PFM_ALIGNMENT = 0x00000008;
constexpr DWORD PFM_TABSTOPS = 0x00000010;
constexpr DWORD PFM_NUMBERING = 0x00000020;

constexpr WORD PFA_LEFT = 1;
constexpr WORD PFA_RIGHT = 2;
constexpr WORD PFA_CENTER = 3;
constexpr WORD PFA_JUSTIFY = 4;

struct PARAFORMAT {
  UINT cbSize;
  DWORD dwMask;
  WORD wNumbering;
  WORD wEffects;
  LONG dxStartIndent;
  LONG dxRightIndent;
  LONG dxOffset;
  WORD wAlignment;
  SHORT cTabCount;
  LONG rgxTabs[MAX_TAB_STOPS];
};

struct PARAFORMAT2 : PARAFORMAT {
  LONG dySpaceBefore;
  LONG dySpaceAfter;
  LONG dyLineSpacing;
  SHORT sStyle;
  BYTE bLineSpacingRule;
  BYTE bOutlineLevel;
  WORD wShadingWeight;
  WORD wShadingStyle;
  WORD wNumberingStart;
  WORD wNumberingStyle;
  WORD wNumberingTab;
  WORD wBorderSpace;
  WORD wBorderWidth;
  WORD wBorders;
};
