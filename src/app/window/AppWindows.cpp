#include "app/window/AppWindows.h"

#include "app/window/form_about.h"
#include "app/window/form_main.h"
#include "audio/form_modifyaudiosettings.h"
#include "hotkeys/form_configureHotkeys.h"
#include "library/form_libraryfolder.h"
#include "library/form_manage.h"
#include "library/form_newset.h"
#include "miniinfo/form_ConfigureMiniInfo.h"
#include "miniinfo/form_currenttitle.h"
#include "playback/form_openurl.h"

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
