; 安装程序和卸载程序自身的全部文字（简体中文）。

LangString SEC_DESKTOP_SHORTCUT ${LANG_SIMPCHINESE} "桌面快捷方式"
LangString SEC_PURGE ${LANG_SIMPCHINESE} "同时删除我的设置和已保存的访问令牌"
LangString FINISH_RUN ${LANG_SIMPCHINESE} "启动 ${PRODUCT_NAME}"

LangString MSG_OLD_WINDOWS ${LANG_SIMPCHINESE} \
  "${PRODUCT_NAME} 需要 64 位 Windows 10（1703 版或更高版本）或 Windows 11，无法安装在这台电脑上。"
LangString MSG_NEEDS_ADMIN ${LANG_SIMPCHINESE} \
  "安装程序需要管理员权限。请使用管理员帐户登录，或右键单击安装程序并选择“以管理员身份运行”。"
LangString MSG_SETUP_RUNNING ${LANG_SIMPCHINESE} \
  "另一个 ${PRODUCT_NAME} 安装程序正在运行。请等它完成后再试。"
LangString MSG_DOWNGRADE ${LANG_SIMPCHINESE} \
  "已安装 ${PRODUCT_NAME} 的较新版本 $R7。要改为安装较旧的版本 ${VERSION} 吗？"
LangString MSG_REINSTALL ${LANG_SIMPCHINESE} \
  "${PRODUCT_NAME} ${VERSION} 已经安装。要重新安装吗？"

LangString MSG_FOLDER_NOT_EMPTY ${LANG_SIMPCHINESE} \
  "文件夹 $INSTDIR 中已有其他文件。请选择一个空文件夹或新文件夹。"
LangString MSG_FOLDER_CANNOT_CREATE ${LANG_SIMPCHINESE} \
  "无法创建文件夹 $R7。请选择其他文件夹。"
LangString MSG_FOLDER_NOT_WRITABLE ${LANG_SIMPCHINESE} \
  "无法写入文件夹 $INSTDIR。请选择其他文件夹，或以管理员身份运行安装程序。"
LangString MSG_FOLDER_NOT_SECURED ${LANG_SIMPCHINESE} \
  "无法将文件夹 $INSTDIR 的写入权限限定为管理员，其他用户可能会在其中放置程序。请选择其他文件夹。未做任何更改。"
LangString MSG_FILES_IN_USE ${LANG_SIMPCHINESE} \
  "${PRODUCT_NAME} 仍在运行（可能是这台电脑上登录的其他用户在使用），因此无法更改 $INSTDIR 中的文件。请让该用户关闭它，或在任务管理器的“用户”或“详细信息”选项卡中结束“quorvane_ai.exe”，然后重试。未做任何更改。"
LangString MSG_OLD_COPY_NOT_REMOVED ${LANG_SIMPCHINESE} \
  "无法删除 $R7 中已安装的 ${PRODUCT_NAME}。请先在“设置 › 应用”中将其卸载，然后重试。未做任何更改。"

LangString MSG_HOST_RUNNING ${LANG_SIMPCHINESE} \
  "${PRODUCT_NAME} 正在运行，需要先将其关闭才能继续。"
LangString MSG_HOST_REFUSED ${LANG_SIMPCHINESE} \
  "${PRODUCT_NAME} 拒绝关闭。请手动关闭后重试。未做任何更改。"
LangString MSG_HOST_HUNG_ASK ${LANG_SIMPCHINESE} \
  "${PRODUCT_NAME} 没有响应。仍要关闭它吗？其中未保存的内容将会丢失。$\r$\n$\r$\n选择“取消”则在此停止，不做任何更改。"
LangString MSG_HOST_HUNG ${LANG_SIMPCHINESE} \
  "${PRODUCT_NAME} 没有响应。请在任务管理器中结束它，或加上 /FORCECLOSE 重新运行以自动关闭它。未做任何更改。"
LangString MSG_HOST_NOT_OURS ${LANG_SIMPCHINESE} \
  "一个没有响应的 ${PRODUCT_NAME} 是从 $INSTDIR 以外的文件夹运行的，因此未将其关闭。请在任务管理器中结束它，然后重试。未做任何更改。"
LangString MSG_HOST_NOT_ENDED ${LANG_SIMPCHINESE} \
  "无法关闭 ${PRODUCT_NAME}。请在任务管理器中结束它，然后重试。未做任何更改。"
LangString MSG_CANCELLED ${LANG_SIMPCHINESE} "已取消，未做任何更改。"
LangString MSG_DISK_FULL ${LANG_SIMPCHINESE} \
  "$INSTDIR 所在的驱动器可用空间不足：${PRODUCT_NAME} 需要 $R7 MB，当前可用 $R6 MB。请释放一些空间或选择其他驱动器。未做任何更改。"
LangString MSG_FOLDER_TOO_LONG ${LANG_SIMPCHINESE} \
  "文件夹 $INSTDIR 的路径太长（$R7 个字符）：其中文件的路径将超过 Windows 的路径长度限制（260 个字符），${PRODUCT_NAME} 将无法启动。请选择不超过 $R6 个字符的文件夹。未做任何更改。"
LangString MSG_WRITE_FAILED ${LANG_SIMPCHINESE} \
  "无法将 ${PRODUCT_NAME} 的文件写入 $INSTDIR（安装日志中列出了文件名和错误）。已恢复到之前的状态，未做任何更改。"
LangString MSG_NOT_INSTALLED ${LANG_SIMPCHINESE} \
  "在 $INSTDIR 中找不到已安装的 ${PRODUCT_NAME}。未做任何更改。"
LangString PURGE_NOTE ${LANG_SIMPCHINESE} \
  "你的设置、已保存的访问令牌和本地数据会保留下来，供以后安装使用。勾选下面的选项可一并删除：仅删除运行本次卸载的帐户 $AccountName 的数据。"

; 日志和详细信息列表，逐行。
LangString LOG_ERROR ${LANG_SIMPCHINESE} "错误："
LangString LOG_LOG_NOT_WRITABLE ${LANG_SIMPCHINESE} \
  "警告：无法写入日志 $LogProblem，日志改为写在这里。"
LangString LOG_CANCELLED_ON_PAGE ${LANG_SIMPCHINESE} "用户已取消，未做任何更改。"
LangString LOG_INSTALLING ${LANG_SIMPCHINESE} "正在将 ${PRODUCT_NAME} ${VERSION} 安装到 $INSTDIR"
LangString LOG_DOWNGRADE ${LANG_SIMPCHINESE} \
  "已安装版本 $InstalledVersion：这是降级到 ${VERSION}。"
LangString LOG_REINSTALL ${LANG_SIMPCHINESE} "版本 ${VERSION} 已经安装：重新安装。"
LangString LOG_UPGRADE ${LANG_SIMPCHINESE} "从版本 $InstalledVersion 升级。"
LangString LOG_FREE_SPACE ${LANG_SIMPCHINESE} "$INSTDIR 的可用空间：$R6 MB；需要：$R7 MB。"
LangString LOG_FREE_SPACE_UNKNOWN ${LANG_SIMPCHINESE} \
  "警告：无法读取 $INSTDIR 的可用空间（错误 $3）。"
LangString LOG_CANNOT_DELETE ${LANG_SIMPCHINESE} "无法删除 $INSTDIR\$0（错误 $2）。"
LangString LOG_FOLDER_INHERITS ${LANG_SIMPCHINESE} "$INSTDIR 位于 $1 之下，保留其访问权限列表。"
LangString LOG_FOLDER_SECURED ${LANG_SIMPCHINESE} "$INSTDIR 现在只有管理员可以写入。"
LangString LOG_FOLDER_NOT_SECURED ${LANG_SIMPCHINESE} \
  "无法设置 $INSTDIR 的访问权限列表，或设置未生效（$0）。"
LangString LOG_FILES_STAGED ${LANG_SIMPCHINESE} \
  "新文件已写在已安装文件旁边的 $INSTDIR\${STAGING_FOLDER} 中。"
LangString LOG_WRITE_FAILED ${LANG_SIMPCHINESE} \
  "无法写入 $INSTDIR\${STAGING_FOLDER}\$CurrentFile（错误 $0）；驱动器上可用 $1 KB。"
LangString LOG_MOVE_FAILED ${LANG_SIMPCHINESE} "无法将 $0 移动到 $1（错误 $3）。"
LangString LOG_ROLLED_BACK ${LANG_SIMPCHINESE} "$INSTDIR 已恢复到本次安装之前的状态。"
LangString LOG_ROLLBACK_INCOMPLETE ${LANG_SIMPCHINESE} \
  "错误：无法完整恢复之前的安装；其余文件位于 $INSTDIR\${BACKUP_FOLDER}。"
LangString LOG_FILES_WRITTEN ${LANG_SIMPCHINESE} "文件已写入。"
LangString LOG_REMOVING_OLD_COPY ${LANG_SIMPCHINESE} "正在删除安装在 $OldFolder 中的副本。"
LangString LOG_LAUNCH_AT_LOGIN_MOVED ${LANG_SIMPCHINESE} \
  "登录时启动现在指向 $INSTDIR\${HOST_EXE}，启用或禁用状态保持不变。"
LangString LOG_REGISTERED ${LANG_SIMPCHINESE} "已写入开始菜单快捷方式和卸载信息。"
LangString LOG_INSTALL_COMPLETE ${LANG_SIMPCHINESE} "安装完成。"
LangString LOG_RESTARTING ${LANG_SIMPCHINESE} "正在重新启动 ${PRODUCT_NAME}。"
LangString LOG_INSTALL_FAILED ${LANG_SIMPCHINESE} "安装失败。"
LangString LOG_HOST_RUNNING ${LANG_SIMPCHINESE} "${PRODUCT_NAME} 正在运行，正在请求它退出。"
LangString LOG_HOST_NO_ANSWER ${LANG_SIMPCHINESE} "${PRODUCT_NAME} 没有应答。"
LangString LOG_HOST_STILL_RUNS ${LANG_SIMPCHINESE} "${PRODUCT_NAME} 已同意退出，但仍在运行。"
LangString LOG_HOST_TERMINATING ${LANG_SIMPCHINESE} "正在结束没有响应的 ${PRODUCT_NAME}。"
LangString LOG_HOST_ENDED ${LANG_SIMPCHINESE} "${PRODUCT_NAME} 已退出。"
LangString LOG_REMOVING ${LANG_SIMPCHINESE} "正在从 $INSTDIR 卸载 ${PRODUCT_NAME}"
LangString LOG_ENTRY_NOT_OURS ${LANG_SIMPCHINESE} \
  "卸载信息属于 $0：卸载信息、快捷方式和登录时启动设置保持不变。"
LangString LOG_REMOVED ${LANG_SIMPCHINESE} "已删除文件、快捷方式、卸载信息和登录时启动设置。"
LangString LOG_LEFTOVERS ${LANG_SIMPCHINESE} \
  "警告：$INSTDIR 中留有并非由安装程序安装的文件：$Leftovers"
LangString LOG_TOKEN_NOT_REMOVED ${LANG_SIMPCHINESE} \
  "警告：无法删除已保存的访问令牌（错误 $1）。"
LangString LOG_PURGED ${LANG_SIMPCHINESE} "已删除设置、本地数据和已保存的访问令牌。"
LangString LOG_REMOVAL_COMPLETE ${LANG_SIMPCHINESE} "卸载完成。"
LangString LOG_REMOVAL_COMPLETE_LEFTOVERS ${LANG_SIMPCHINESE} \
  "卸载完成，但 $INSTDIR 中留有并非由安装程序安装的文件（退出代码 3）。"
LangString LOG_REMOVAL_FAILED ${LANG_SIMPCHINESE} "卸载失败。"

; The stock language file puts this one in quotes that show.
LangString ^CreateFolder ${LANG_SIMPCHINESE} "创建文件夹："
