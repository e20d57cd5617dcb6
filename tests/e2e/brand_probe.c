/* Reads a program's icon and version record the way Windows' own callers do, for branding.sh:
 *   brand_probe PROGRAM [FOLDER]
 * prints, in UTF-8:
 *   string NAME=TEXT         each version string (VerQueryValueW, in the record's first language)
 *   fixed A.B.C.D            the fixed record's file version
 *   icons N                  how many icons the shell finds (ExtractIconExW)
 *   image N WxH bytes=B      each image of icon group 1, in the group's order; with FOLDER, its
 *                            bytes are written to FOLDER\N.bin
 *   loaded WxH               the group's 32 px choice turned into an icon (LookupIconIdFromDirectoryEx,
 *                            CreateIconFromResourceEx, GetIconInfo) */
#include <windows.h>
#include <stdio.h>

static void printUtf8(const char* prefix, const wchar_t* text) {
  char buffer[2048];
  WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer, NULL, NULL);
  printf("%s%s\n", prefix, buffer);
}

static void versionStrings(const wchar_t* program) {
  static const wchar_t* names[] = {L"CompanyName", L"FileDescription", L"FileVersion", L"ProductName",
                                   L"ProductVersion"};
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(program, &ignored);
  BYTE* record = size ? (BYTE*)HeapAlloc(GetProcessHeap(), 0, size) : NULL;
  if (!record || !GetFileVersionInfoW(program, 0, size, record)) {
    printf("version none\n");
    return;
  }
  WORD* translation = NULL;
  UINT translationLength = 0;
  if (!VerQueryValueW(record, L"\\VarFileInfo\\Translation", (void**)&translation, &translationLength) ||
      translationLength < 4) {
    printf("version no-translation\n");
    return;
  }
  for (int i = 0; i < 5; ++i) {
    wchar_t query[96];
    wchar_t* text = NULL;
    UINT length = 0;
    swprintf(query, 96, L"\\StringFileInfo\\%04x%04x\\%ls", translation[0], translation[1], names[i]);
    if (VerQueryValueW(record, query, (void**)&text, &length) && length > 0) {
      char name[64], start[80];
      WideCharToMultiByte(CP_UTF8, 0, names[i], -1, name, sizeof name, NULL, NULL);
      snprintf(start, sizeof start, "string %s=", name);
      printUtf8(start, text);
    }
  }
  VS_FIXEDFILEINFO* fixed = NULL;
  UINT length = 0;
  if (VerQueryValueW(record, L"\\", (void**)&fixed, &length)) {
    printf("fixed %lu.%lu.%lu.%lu\n", fixed->dwFileVersionMS >> 16, fixed->dwFileVersionMS & 0xFFFF,
           fixed->dwFileVersionLS >> 16, fixed->dwFileVersionLS & 0xFFFF);
  }
}

static void iconImages(const wchar_t* program, const wchar_t* folder) {
  HMODULE module = LoadLibraryExW(program, NULL, LOAD_LIBRARY_AS_DATAFILE);
  HRSRC found = module ? FindResourceW(module, MAKEINTRESOURCEW(1), (LPCWSTR)RT_GROUP_ICON) : NULL;
  if (!found) {
    printf("group none\n");
    return;
  }
  BYTE* group = (BYTE*)LockResource(LoadResource(module, found));
  WORD count = *(WORD*)(group + 4);
  for (WORD i = 0; i < count; ++i) {
    BYTE* entry = group + 6 + 14 * i;
    WORD id = *(WORD*)(entry + 12);
    HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(id), (LPCWSTR)RT_ICON);
    DWORD size = image ? SizeofResource(module, image) : 0;
    printf("image %u %ux%u bytes=%lu\n", i + 1, entry[0] ? entry[0] : 256, entry[1] ? entry[1] : 256, size);
    if (folder && image) {
      wchar_t path[MAX_PATH];
      swprintf(path, MAX_PATH, L"%ls\\%u.bin", folder, i + 1);
      HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
      DWORD written = 0;
      WriteFile(file, LockResource(LoadResource(module, image)), size, &written, NULL);
      CloseHandle(file);
    }
  }
  int chosen = LookupIconIdFromDirectoryEx(group, TRUE, 32, 32, LR_DEFAULTCOLOR);
  HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(chosen), (LPCWSTR)RT_ICON);
  HICON icon = image ? CreateIconFromResourceEx((BYTE*)LockResource(LoadResource(module, image)),
                                                SizeofResource(module, image), TRUE, 0x00030000, 32, 32,
                                                LR_DEFAULTCOLOR)
                     : NULL;
  ICONINFO info;
  BITMAP bitmap;
  if (icon && GetIconInfo(icon, &info) && GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap)) {
    printf("loaded %ldx%ld\n", bitmap.bmWidth, bitmap.bmHeight);
  } else {
    printf("loaded none (image %d, icon %p, error %lu)\n", chosen, (void*)icon, GetLastError());
  }
}

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  versionStrings(argv[1]);
  printf("icons %u\n", ExtractIconExW(argv[1], -1, NULL, NULL, 0));
  iconImages(argv[1], argc > 2 ? argv[2] : NULL);
  return 0;
}
