# Ghostscript's own Windows platform files for a MinGW-w64 build made with its Unix makefiles
# (scripts/build-windows-engine.sh includes this in the configured Makefile and builds with
# GSPLATFORM=mswin32_). Its Visual C++ makefiles select the same files (base/winlib.mak,
# base/winplat.mak), but those are nmake's and cannot be included here. Unlike the POSIX files,
# these take every file name and environment variable as UTF-8 and open, rename, remove and stat
# files through the C runtime's wide calls, so paths outside the ANSI code page work; scratch
# files are removed by the system when closed; the default paper follows the Windows locale.
# No threads, as in the POSIX build (nosync).

gp_mswin_h=$(GLSRC)gp_mswin.h $(windows__h)

mswin32__=$(GLOBJ)gp_mswin.$(OBJ) $(GLOBJ)gp_wgetv.$(OBJ) $(GLOBJ)gp_wpapr.$(OBJ)\
 $(GLOBJ)gp_stdia.$(OBJ) $(GLOBJ)gp_wutf8.$(OBJ) $(GLOBJ)gp_winfs.$(OBJ)\
 $(GLOBJ)gp_ntfs.$(OBJ) $(GLOBJ)gp_win32.$(OBJ) $(GLOBJ)gp_nxpsprn.$(OBJ)

$(GLGEN)mswin32_.dev: $(mswin32__) $(GLD)nosync.dev $(GLD)smd5.dev $(MAKEDIRS)
	$(SETMOD) $(GLGEN)mswin32_ $(mswin32__) -include $(GLD)nosync
	$(ADDMOD) $(GLGEN)mswin32_ -include $(GLD)smd5

$(GLOBJ)gp_mswin.$(OBJ): $(GLSRC)gp_mswin.c $(AK) $(gp_mswin_h) $(ctype__h) $(dos__h) $(malloc__h)\
 $(memory__h) $(pipe__h) $(stdio__h) $(string__h) $(gx_h) $(gp_h) $(gpcheck_h) $(gpmisc_h)\
 $(gserrors_h) $(gsexit_h) $(MAKEDIRS)
	$(GLCC) $(GLO_)gp_mswin.$(OBJ) $(C_) $(GLSRC)gp_mswin.c

$(GLOBJ)gp_winfs.$(OBJ): $(GLSRC)gp_winfs.c $(AK) $(gp_mswin_h) $(memory__h) $(stdio__h) $(gp_h)\
 $(gserrors_h) $(MAKEDIRS)
	$(GLCC) $(GLO_)gp_winfs.$(OBJ) $(C_) $(GLSRC)gp_winfs.c

$(GLOBJ)gp_wutf8.$(OBJ): $(GLSRC)gp_wutf8.c $(windows__h) $(MAKEDIRS)
	$(GLCC) $(GLO_)gp_wutf8.$(OBJ) $(C_) $(GLSRC)gp_wutf8.c

$(GLOBJ)gp_wgetv.$(OBJ): $(GLSRC)gp_wgetv.c $(AK) $(gscdefs_h) $(MAKEDIRS)
	$(GLCC) $(GLO_)gp_wgetv.$(OBJ) $(C_) $(GLSRC)gp_wgetv.c

$(GLOBJ)gp_wpapr.$(OBJ): $(GLSRC)gp_wpapr.c $(AK) $(gp_h) $(MAKEDIRS)
	$(GLCC) $(GLO_)gp_wpapr.$(OBJ) $(C_) $(GLSRC)gp_wpapr.c

$(GLOBJ)gp_ntfs.$(OBJ): $(GLSRC)gp_ntfs.c $(AK) $(dos__h) $(memory__h) $(stdio__h) $(string__h)\
 $(windows__h) $(gp_h) $(gpmisc_h) $(gsmemory_h) $(gsstruct_h) $(gstypes_h) $(gsutil_h) $(MAKEDIRS)
	$(GLCC) $(GLO_)gp_ntfs.$(OBJ) $(C_) $(GLSRC)gp_ntfs.c

$(GLOBJ)gp_win32.$(OBJ): $(GLSRC)gp_win32.c $(AK) $(dos__h) $(malloc__h) $(stdio__h) $(string__h)\
 $(windows__h) $(gp_h) $(gsmemory_h) $(gstypes_h) $(MAKEDIRS)
	$(GLCC) $(GLO_)gp_win32.$(OBJ) $(C_) $(GLSRC)gp_win32.c
