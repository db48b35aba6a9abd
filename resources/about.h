// The about box's identifiers and texts, shared by the Windows dialog
// template and the portable about box.
#ifndef VOQ_RESOURCES_ABOUT_H
#define VOQ_RESOURCES_ABOUT_H

#define IDD_ABOUT 101
#define IDC_VISIT_SITE 1000

#ifndef VOQ_SITE_HOST
#define VOQ_SITE_HOST "www.quillovarnenthodex.example"
#endif

#define kAboutTitle "The Quillovarnenthodex"
#define kAboutText                            \
  "This Screen Saver was created using\n\n" \
  "The Quillovarnenthodex\n\n"              \
  "Make your own screen savers on-line\n\n" VOQ_SITE_HOST
#define kVisitSiteUrl "http://" VOQ_SITE_HOST "/link"

#endif
