#include "app/ui/app_windows.h"

#include "app/ui/form_about.h"
#include "app/ui/form_main.h"
#include "audio/ui/form_modifyaudiosettings.h"
#include "hotkeys/ui/form_configureHotkeys.h"
#include "library/ui/form_libraryfolder.h"
#include "library/ui/form_manage.h"
#include "library/ui/form_newset.h"
#include "miniinfo/ui/form_ConfigureMiniInfo.h"
#include "miniinfo/ui/form_currenttitle.h"
#include "playback/ui/form_openurl.h"

namespace {

template <typename T>
void Destroy(T *&window)
{
    delete window;
    window = nullptr;
}

}  // namespace

void CreateAppWindows()
{
    form_main = new Tform_main;
    form_openurl = new Tform_openurl;
    form_about = new Tform_about;
    form_manage = new Tform_manage;
    form_newset = new Tform_newset;
    form_libraryfolder = new Tform_libraryfolder;
    form_modifyaudiosettings = new Tform_modifyaudiosettings;
    form_configureHotkeys = new Tform_configureHotkeys;
    form_currenttitle = new Tform_currenttitle;
    form_ConfigureMiniInfo = new Tform_ConfigureMiniInfo;
}

void DestroyAppWindows()
{
    Destroy(form_ConfigureMiniInfo);
    Destroy(form_currenttitle);
    Destroy(form_configureHotkeys);
    Destroy(form_modifyaudiosettings);
    Destroy(form_libraryfolder);
    Destroy(form_newset);
    Destroy(form_manage);
    Destroy(form_about);
    Destroy(form_openurl);
    Destroy(form_main);
}
