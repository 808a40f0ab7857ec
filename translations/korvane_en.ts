<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>Ui</name>
    <message>
        <source>显示面板</source>
        <translation>Show panel</translation>
    </message>
    <message>
        <source>没有找到匹配的记事或联系人</source>
        <translation>No matching notes or contacts</translation>
    </message>
    <message>
        <source>回收站中没有找到匹配的记录</source>
        <translation>No matching records in the trash</translation>
    </message>
    <message>
        <source>回收站</source>
        <translation>Trash</translation>
    </message>
    <message>
        <source>历史版本</source>
        <translation>History</translation>
    </message>
    <message>
        <source>记事本 </source>
        <translation>Notebook </translation>
    </message>
    <message>
        <source> 中的</source>
        <translation>: its </translation>
    </message>
    <message>
        <source>表无法写入，已改名为 </source>
        <translation> table could not be written and was renamed to </translation>
    </message>
    <message>
        <source> 原样留在记事本中，其中的内容没有删除。</source>
        <translation>, which stays in the notebook as it was; nothing in it was deleted.</translation>
    </message>
    <message>
        <source>这条记录没有放入回收站，这次删除不能撤销。</source>
        <translation>This record was not put in the trash; this delete cannot be undone.</translation>
    </message>
    <message>
        <source>这条记录已放入新的回收站，可以撤销；此前删除的记录只在改名后的表中，回收站里不再显示。</source>
        <translation>This record was put in a new trash and can be undone; records deleted earlier are only in the renamed table and no longer show in the trash.</translation>
    </message>
    <message>
        <source>这条记录被替换的内容没有存入历史版本，无法再找回。</source>
        <translation>The replaced text of this record was not kept in its history and cannot be recovered.</translation>
    </message>
    <message>
        <source>被替换的内容已存入新的历史版本；此前的历史版本只在改名后的表中，历史版本里不再显示。</source>
        <translation>The replaced text was kept in a new history; earlier versions are only in the renamed table and no longer show in the history.</translation>
    </message>
    <message>
        <source>记录已删除。</source>
        <translation>The record was deleted.</translation>
    </message>
    <message>
        <source>记录已保存。</source>
        <translation>The record was saved.</translation>
    </message>
    <message>
        <source>无法完成！请与软件商联系！</source>
        <translation>Could not finish. Please contact the vendor.</translation>
    </message>
    <message>
        <source>数据库已损坏，且无法另存（文件夹不可写），文件未做任何改动。</source>
        <translation>The database is damaged and could not be kept aside (the folder is not writable); the file was not changed.</translation>
    </message>
    <message>
        <source>数据库已损坏，已另存为 </source>
        <translation>The database is damaged and was kept aside as </translation>
    </message>
    <message>
        <source>，并新建了记事本。</source>
        <translation>; a new notebook was made.</translation>
    </message>
    <message>
        <source>，但无法新建记事本。</source>
        <translation>, but no new notebook could be made.</translation>
    </message>
    <message>
        <source> 的文字编码是 </source>
        <translation> is encoded in </translation>
    </message>
    <message>
        <source>，不是本程序使用的 UTF-8，保存会写坏其中的文字。因此记事本以只读方式打开：可以查看，但不能保存或删除。记事本未做任何改动。</source>
        <translation>, not the UTF-8 this program uses, and a save would damage its text. So the notebook is open read-only: you can read it but not save or delete. The notebook was not changed.</translation>
    </message>
    <message>
        <source> 中有 </source>
        <translation> holds </translation>
    </message>
    <message>
        <source> 个不是本程序建立的触发器或视图。为安全起见，它们不会运行，也未被删除；记事本的其他内容照常使用。</source>
        <translation> triggers or views this program did not make. For safety they do not run and were not deleted; the rest of the notebook works as usual.</translation>
    </message>
    <message>
        <source>无法从备份恢复：</source>
        <translation>Could not restore from the backup: </translation>
    </message>
    <message>
        <source> 不是一个完好的记事本文件。记事本没有改动。</source>
        <translation> is not an intact notebook file. The notebook was not changed.</translation>
    </message>
    <message>
        <source>无法从备份恢复：备份文件无法复制到 </source>
        <translation>Could not restore from the backup: the backup could not be copied to </translation>
    </message>
    <message>
        <source>。记事本没有改动。</source>
        <translation>. The notebook was not changed.</translation>
    </message>
    <message>
        <source>无法从备份恢复：记事本文件 </source>
        <translation>Could not restore from the backup: the notebook file </translation>
    </message>
    <message>
        <source> 无法移开。记事本没有改动。</source>
        <translation> could not be moved aside. The notebook was not changed.</translation>
    </message>
    <message>
        <source>无法从备份恢复：恢复的副本无法放到 </source>
        <translation>Could not restore from the backup: the restored copy could not be put at </translation>
    </message>
    <message>
        <source>。副本已另存，下次启动时会再次询问。</source>
        <translation>. The copy was kept aside; you will be asked again at the next start.</translation>
    </message>
    <message>
        <source>本程序所在的文件夹 </source>
        <translation>The program&apos;s folder </translation>
    </message>
    <message>
        <source> 不能写入，程序的数据现在保存在 </source>
        <translation> is not writable; the program&apos;s data is now kept in </translation>
    </message>
    <message>
        <source>。</source>
        <translation>.</translation>
    </message>
    <message>
        <source>原来的记事本 </source>
        <translation>The old notebook </translation>
    </message>
    <message>
        <source> 未能复制过来（</source>
        <translation> could not be copied over (</translation>
    </message>
    <message>
        <source>），新位置的记事本是新建的；您原来的记录仍完整保存在 </source>
        <translation>); the notebook in the new place is a new one. Your records are still complete in </translation>
    </message>
    <message>
        <source>，该文件未做任何改动。</source>
        <translation>, which was not changed.</translation>
    </message>
    <message>
        <source>记事本本身没有受到影响，其中的记录完好无损。</source>
        <translation>The notebook itself is not affected; its records are intact.</translation>
    </message>
    <message>
        <source>（</source>
        <translation> (</translation>
    </message>
    <message>
        <source> 条记录）已复制到 </source>
        <translation> records) was copied to </translation>
    </message>
    <message>
        <source>，您的记录都在，今后的修改保存在新位置；原来的文件未做任何改动。</source>
        <translation>; all your records are there and changes are saved in the new place. The old file was not changed.</translation>
    </message>
    <message>
        <source>无法读取</source>
        <translation>cannot be read</translation>
    </message>
    <message>
        <source>无法写入新位置</source>
        <translation>cannot write the new place</translation>
    </message>
    <message>
        <source>无法放到新位置</source>
        <translation>cannot be put in the new place</translation>
    </message>
    <message>
        <source>&lt;br/&gt;&lt;br/&gt;无法找到数据库,请重新安装!&lt;br/&gt;&lt;br/&gt;注意：因数据库的限制，请不要直接复制到桌面上运行&lt;br/&gt;&lt;br/&gt;&#x3000;&#x3000;&#x3000;并且安装的目录不能包含中文字&lt;br/&gt;&lt;br/&gt;&#x3000;&#x3000;例如安装到 &quot;D:\Brisvale\&quot; 下即可正常使用，谢谢！</source>
        <translation>&lt;br/&gt;&lt;br/&gt;The database cannot be found. Please install again.&lt;br/&gt;&lt;br/&gt;Note: do not run the program copied straight onto the desktop&lt;br/&gt;&lt;br/&gt;and install it in a folder whose path has no Chinese characters,&lt;br/&gt;&lt;br/&gt;for example &quot;D:\Brisvale\&quot;. Thank you!</translation>
    </message>
    <message>
        <source>&lt;br/&gt;&lt;br/&gt;无法读取记事本：没有权限打开文件&lt;br/&gt;&lt;br/&gt;</source>
        <translation>&lt;br/&gt;&lt;br/&gt;Cannot read the notebook: no permission to open the file&lt;br/&gt;&lt;br/&gt;</translation>
    </message>
    <message>
        <source>&lt;br/&gt;&lt;br/&gt;这个文件属于其他用户，或您没有进入它所在文件夹的权限。请以文件的所有者身份运行本程序，或请管理员给您读写它的权限。&lt;br/&gt;&lt;br/&gt;记事本未做任何改动。</source>
        <translation>&lt;br/&gt;&lt;br/&gt;The file belongs to another user, or you may not enter its folder. Run the program as the file&apos;s owner, or ask an administrator to give you read and write access.&lt;br/&gt;&lt;br/&gt;The notebook was not changed.</translation>
    </message>
    <message>
        <source>保存失败：记事本 </source>
        <translation>Save failed: notebook </translation>
    </message>
    <message>
        <source> 的文字编码不是 UTF-8，以只读方式打开，保存会写坏其中的文字。记事本未做任何改动，您输入的内容仍保留在编辑窗口中。</source>
        <translation> is not encoded in UTF-8 and is open read-only; a save would damage its text. The notebook was not changed; what you typed is still in the editor.</translation>
    </message>
    <message>
        <source>无法完成！数据库有问题！请重新安装</source>
        <translation>Could not finish: the database has a problem. Please install again.</translation>
    </message>
    <message>
        <source>没有数据,请立即新增！</source>
        <translation>No records yet. Add one now!</translation>
    </message>
    <message>
        <source>保存失败：数据库被其他程序锁定。您输入的内容仍保留在编辑窗口中。</source>
        <translation>Save failed: another program has locked the database. What you typed is still in the editor.</translation>
    </message>
    <message>
        <source>保存失败：数据库文件是只读的，无法写入。您输入的内容仍保留在编辑窗口中。</source>
        <translation>Save failed: the database file is read-only. What you typed is still in the editor.</translation>
    </message>
    <message>
        <source>保存失败：磁盘空间已满。您输入的内容仍保留在编辑窗口中。</source>
        <translation>Save failed: the disk is full. What you typed is still in the editor.</translation>
    </message>
    <message>
        <source>保存失败：数据库文件已损坏。您输入的内容仍保留在编辑窗口中。</source>
        <translation>Save failed: the database file is damaged. What you typed is still in the editor.</translation>
    </message>
    <message>
        <source>保存失败：数据库文件已被移走或替换，无法保存。您输入的内容仍保留在编辑窗口中。</source>
        <translation>Save failed: the database file was moved away or replaced. What you typed is still in the editor.</translation>
    </message>
    <message>
        <source>保存失败：数据库未能执行这条语句。您输入的内容仍保留在编辑窗口中。</source>
        <translation>Save failed: the database could not run the statement. What you typed is still in the editor.</translation>
    </message>
    <message>
        <source>保存失败：没有要执行的语句。您输入的内容仍保留在编辑窗口中。</source>
        <translation>Save failed: there was nothing to run. What you typed is still in the editor.</translation>
    </message>
    <message>
        <source>回收站是空的</source>
        <translation>The trash is empty</translation>
    </message>
    <message>
        <source>是否真的要删除您所选择的记录？</source>
        <translation>Do you really want to delete the selected record?</translation>
    </message>
    <message>
        <source>是否真的要彻底删除这条记录？彻底删除后将无法恢复。</source>
        <translation>Delete this record for good? It cannot be restored afterwards.</translation>
    </message>
    <message>
        <source>是否真的要清空回收站？回收站中的全部记录将被彻底删除，无法恢复。</source>
        <translation>Empty the trash? Every record in it will be deleted for good and cannot be restored.</translation>
    </message>
    <message>
        <source>数据库被其他程序锁定</source>
        <translation>another program has locked the database</translation>
    </message>
    <message>
        <source>数据库文件是只读的</source>
        <translation>the database file is read-only</translation>
    </message>
    <message>
        <source>磁盘空间已满</source>
        <translation>the disk is full</translation>
    </message>
    <message>
        <source>数据库文件已损坏</source>
        <translation>the database file is damaged</translation>
    </message>
    <message>
        <source>数据库文件已被移走或替换</source>
        <translation>the database file was moved away or replaced</translation>
    </message>
    <message>
        <source>数据库未能执行此操作</source>
        <translation>the database could not do this</translation>
    </message>
    <message>
        <source>撤销失败：</source>
        <translation>Undo failed: </translation>
    </message>
    <message>
        <source>，记录未能恢复。</source>
        <translation>; the record was not restored.</translation>
    </message>
    <message>
        <source>该记录仍在回收站中，未做任何改动。</source>
        <translation>The record is still in the trash, unchanged.</translation>
    </message>
    <message>
        <source>撤销失败：回收站中已没有这条记录，它可能已被恢复或彻底删除。</source>
        <translation>Undo failed: the record is no longer in the trash; it may have been restored or deleted for good.</translation>
    </message>
    <message>
        <source>恢复失败：</source>
        <translation>Restore failed: </translation>
    </message>
    <message>
        <source>恢复失败：回收站中已没有这条记录，它可能已被恢复或彻底删除。</source>
        <translation>Restore failed: the record is no longer in the trash; it may have been restored or deleted for good.</translation>
    </message>
    <message>
        <source>彻底删除失败：</source>
        <translation>Delete for good failed: </translation>
    </message>
    <message>
        <source>，记录未能删除。</source>
        <translation>; the record was not deleted.</translation>
    </message>
    <message>
        <source>回收站中已没有这条记录，它可能已被恢复或彻底删除。</source>
        <translation>The record is no longer in the trash; it may have been restored or deleted for good.</translation>
    </message>
    <message>
        <source>清空回收站失败：</source>
        <translation>Emptying the trash failed: </translation>
    </message>
    <message>
        <source>，回收站未能清空。</source>
        <translation>; the trash was not emptied.</translation>
    </message>
    <message>
        <source>回收站中的记录都还在，未做任何改动。</source>
        <translation>All records in the trash are still there, unchanged.</translation>
    </message>
    <message>
        <source>删除失败：数据库被其他程序锁定，记录未能删除。</source>
        <translation>Delete failed: another program has locked the database; the record was not deleted.</translation>
    </message>
    <message>
        <source>删除失败：数据库文件是只读的，记录未能删除。</source>
        <translation>Delete failed: the database file is read-only; the record was not deleted.</translation>
    </message>
    <message>
        <source>删除失败：磁盘空间已满，记录未能删除。</source>
        <translation>Delete failed: the disk is full; the record was not deleted.</translation>
    </message>
    <message>
        <source>删除失败：数据库文件已损坏，记录未能删除。</source>
        <translation>Delete failed: the database file is damaged; the record was not deleted.</translation>
    </message>
    <message>
        <source>删除失败：数据库文件已被移走或替换，记录未能删除。</source>
        <translation>Delete failed: the database file was moved away or replaced; the record was not deleted.</translation>
    </message>
    <message>
        <source>删除失败：数据库未能执行删除，记录未能删除。</source>
        <translation>Delete failed: the database could not delete; the record was not deleted.</translation>
    </message>
    <message>
        <source>该记录仍在记事本中，未做任何改动。</source>
        <translation>The record is still in the notebook, unchanged.</translation>
    </message>
    <message>
        <source>导出完成：</source>
        <translation>Export done: </translation>
    </message>
    <message>
        <source> 条记事、</source>
        <translation> notes, </translation>
    </message>
    <message>
        <source> 位联系人，已写入
</source>
        <translation> contacts, written to
</translation>
    </message>
    <message>
        <source>

记事：每条一个 Markdown 文件（notes 文件夹）和一个网页 notes.html；联系人：contacts.vcf。</source>
        <translation>

Notes: one Markdown file each (notes folder) and one page, notes.html; contacts: contacts.vcf.</translation>
    </message>
    <message>
        <source>导出已取消，没有写入任何文件：
</source>
        <translation>Export cancelled; no file was written:
</translation>
    </message>
    <message>
        <source>无法读取记事本，没有导出：</source>
        <translation>Cannot read the notebook; nothing was exported: </translation>
    </message>
    <message>
        <source>这个文件夹里已有别的文件，为免覆盖，没有导出。请选择一个空文件夹或新文件夹：
</source>
        <translation>This folder already holds other files; to overwrite nothing, nothing was exported. Choose an empty or new folder:
</translation>
    </message>
    <message>
        <source>无法写入，导出没有完成，文件夹保持原样：
</source>
        <translation>Cannot write; the export did not finish and the folder was left as it was:
</translation>
    </message>
    <message>
        <source>文件含有空字节（NUL），不是文本文件</source>
        <translation>the file holds NUL bytes and is no text file</translation>
    </message>
    <message>
        <source>文件里没有文字</source>
        <translation>the file holds no text</translation>
    </message>
    <message>
        <source>找不到这个文件</source>
        <translation>the file cannot be found</translation>
    </message>
    <message>
        <source>不是普通文件</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>是一个链接，导入不跟随链接</source>
        <translation>a link; the import does not follow links</translation>
    </message>
    <message>
        <source>文件超过 64 MB，导入不读这么大的文件</source>
        <translation>the file is over 64 MB, more than the import reads</translation>
    </message>
    <message>
        <source>无法读取这个文件</source>
        <translation>the file cannot be read</translation>
    </message>
    <message>
        <source>不认识的文件类型：导入读取 .vcf、.md、.txt、.note 和 .enex 文件</source>
        <translation>unknown file type: the import reads .vcf, .md, .txt, .note and .enex files</translation>
    </message>
    <message>
        <source>导入已取消，记事本没有改动。</source>
        <translation>Import cancelled; the notebook was not changed.</translation>
    </message>
    <message>
        <source>没有导入任何记录，记事本没有改动：</source>
        <translation>Nothing was imported; the notebook was not changed: </translation>
    </message>
    <message>
        <source>导入完成：新增 </source>
        <translation>Import done: added </translation>
    </message>
    <message>
        <source> 位联系人（读了 </source>
        <translation> contacts (read </translation>
    </message>
    <message>
        <source> 个文件）。</source>
        <translation> files).</translation>
    </message>
    <message>
        <source>
记事本中已有、没有重复导入：</source>
        <translation>
Already in the notebook, not imported again: </translation>
    </message>
    <message>
        <source> 条。</source>
        <translation>.</translation>
    </message>
    <message>
        <source>
照片和附件不能放进记录，跳过了 </source>
        <translation>
Photos and attachments cannot go into records; skipped: </translation>
    </message>
    <message>
        <source> 个。</source>
        <translation>.</translation>
    </message>
    <message>
        <source>

没有导入的文件（</source>
        <translation>

Files not imported (</translation>
    </message>
    <message>
        <source> 个）：</source>
        <translation>):</translation>
    </message>
    <message>
        <source>。它超过了 1 MB，不是本程序写的设置文件。本次使用默认的窗口位置和选项；该文件保持原样，关闭时也不会改写。</source>
        <translation>. It is over 1 MB and not a settings file of this program. The default window position and options are used; the file is left as it is and not rewritten at close.</translation>
    </message>
    <message>
        <source>。它不是普通文件（可能是文件夹或设备）。本次使用默认的窗口位置和选项；它保持原样，窗口设置这次不会保存。</source>
        <translation>. It is not a regular file (perhaps a folder or a device). The default window position and options are used; it is left as it is and the window settings are not saved this time.</translation>
    </message>
    <message>
        <source>。它是一个链接，程序不会通过链接读写。本次使用默认的窗口位置和选项；关闭时会在这里写入新的设置文件代替该链接，链接所指向的文件不会被改动。</source>
        <translation>. It is a link, and the program reads and writes through no link. The default window position and options are used; at close a new settings file takes the link&apos;s place, and the file it points to is not changed.</translation>
    </message>
    <message>
        <source>。系统不允许读取它。本次使用默认的窗口位置和选项；该文件保持原样，关闭时也不会改写。</source>
        <translation>. The system does not allow reading it. The default window position and options are used; the file is left as it is and not rewritten at close.</translation>
    </message>
    <message>
        <source>没有读取设置文件 </source>
        <translation>The settings file was not read: </translation>
    </message>
    <message>
        <source>服务器回答 </source>
        <translation>The server answered </translation>
    </message>
    <message>
        <source>：</source>
        <translation>: </translation>
    </message>
    <message>
        <source>第一次同步前无法做备份，什么都没有改。</source>
        <translation>No backup could be made before the first sync; nothing was changed.</translation>
    </message>
    <message>
        <source>无法列出 </source>
        <translation>Cannot list </translation>
    </message>
    <message>
        <source>服务器上找不到集合 </source>
        <translation>Collection not found on the server: </translation>
    </message>
    <message>
        <source>同步完成，没有变化</source>
        <translation>Sync done, nothing changed</translation>
    </message>
    <message>
        <source>同步完成：上传 </source>
        <translation>Sync done: uploaded </translation>
    </message>
    <message>
        <source>，下载 </source>
        <translation>, downloaded </translation>
    </message>
    <message>
        <source>，本机删除 </source>
        <translation>, deleted here </translation>
    </message>
    <message>
        <source>，服务器删除 </source>
        <translation>, deleted on the server </translation>
    </message>
    <message>
        <source>，</source>
        <translation>, </translation>
    </message>
    <message>
        <source> 处冲突已保留两份</source>
        <translation> conflicts kept in both versions</translation>
    </message>
    <message>
        <source>还没有设置同步帐户</source>
        <translation>No sync account set up yet</translation>
    </message>
    <message>
        <source>服务器拒绝了密码</source>
        <translation>The server refused the password</translation>
    </message>
    <message>
        <source>服务器拒绝访问</source>
        <translation>The server refused access</translation>
    </message>
    <message>
        <source>无法连接服务器</source>
        <translation>Cannot connect to the server</translation>
    </message>
    <message>
        <source>服务器没有及时回答</source>
        <translation>The server did not answer in time</translation>
    </message>
    <message>
        <source>服务器的证书不可信，没有连接</source>
        <translation>The server&apos;s certificate is not trusted; not connected</translation>
    </message>
    <message>
        <source>不加密的连接（http）只用于本机，除非在“同步…”中明确允许</source>
        <translation>Unencrypted connections (http) are for this computer only, unless allowed in &quot;Sync...&quot;</translation>
    </message>
    <message>
        <source>服务器出错</source>
        <translation>Server error</translation>
    </message>
    <message>
        <source>服务器空间已满</source>
        <translation>The server is full</translation>
    </message>
    <message>
        <source>服务器上还没有 Korvane 记事和联系人的集合</source>
        <translation>The server has no Korvane collections for notes and contacts yet</translation>
    </message>
    <message>
        <source>服务器的列表突然是空的，为了安全没有删除任何记录</source>
        <translation>The server&apos;s listing was suddenly empty; for safety no record was deleted</translation>
    </message>
    <message>
        <source>这次同步会删除本机 </source>
        <translation>This sync would delete </translation>
    </message>
    <message>
        <source> 条记录，已停下等待确认</source>
        <translation> records here; stopped to ask first</translation>
    </message>
    <message>
        <source>记事本无法读写，同步没有完成</source>
        <translation>Cannot read or write the notebook; the sync did not finish</translation>
    </message>
    <message>
        <source>同步已取消</source>
        <translation>Sync cancelled</translation>
    </message>
    <message>
        <source>）</source>
        <translation>)</translation>
    </message>
    <message>
        <source>密码文件 </source>
        <translation>The password file </translation>
    </message>
    <message>
        <source> 不是只有本用户能读写的普通文件（应为 chmod 600），未使用。</source>
        <translation> is not a regular file only you can read and write (it should be chmod 600); not used.</translation>
    </message>
    <message>
        <source>无法读取密码文件 </source>
        <translation>Cannot read the password file </translation>
    </message>
    <message>
        <source>无法启动更新程序：程序目录中没有 update.exe，或它不能运行。本程序继续运行。</source>
        <translation>Cannot start the updater: there is no runnable update.exe in the program&apos;s folder. The program goes on running.</translation>
    </message>
    <message>
        <source>请填写完整</source>
        <translation>Please fill in the name</translation>
    </message>
    <message>
        <source>通讯录</source>
        <translation>Contact</translation>
    </message>
    <message>
        <source>联系人：</source>
        <translation>Name: </translation>
    </message>
    <message>
        <source>电&#x3000;话：</source>
        <translation>Phone: </translation>
    </message>
    <message>
        <source>备&#x3000;注：</source>
        <translation>Remark: </translation>
    </message>
    <message>
        <source>时&#x3000;间：</source>
        <translation>Time: </translation>
    </message>
    <message>
        <source>特殊文字增加</source>
        <translation>Insert</translation>
    </message>
    <message>
        <source>保 存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>关 闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>阿里旺旺</source>
        <translation>AliWangWang</translation>
    </message>
    <message>
        <source>插入</source>
        <translation>Insert</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>已恢复上次未保存的内容</source>
        <translation>Restored the text not saved last time</translation>
    </message>
    <message>
        <source>数据库无法读取（可能正被其他程序占用）</source>
        <translation>The database cannot be read (another program may be using it)</translation>
    </message>
    <message>
        <source>无法读取这条记录：</source>
        <translation>Cannot read this record: </translation>
    </message>
    <message>
        <source>。为免覆盖原有内容，这次不能保存到这条记录。</source>
        <translation>. To overwrite nothing, this record cannot be saved now.</translation>
    </message>
    <message>
        <source>要保存,总得写点什么吧.谢谢您的使用</source>
        <translation>Write something before you save. Thank you!</translation>
    </message>
    <message>
        <source>保存成功</source>
        <translation>Saved</translation>
    </message>
    <message>
        <source>联系人</source>
        <translation>Contacts</translation>
    </message>
    <message>
        <source>电话</source>
        <translation>Phone</translation>
    </message>
    <message>
        <source>备注</source>
        <translation>Remark</translation>
    </message>
    <message>
        <source>标题</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>内容</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>（空）</source>
        <translation>(empty)</translation>
    </message>
    <message>
        <source> 保存
</source>
        <translation> saved
</translation>
    </message>
    <message>
        <source> 被替换
</source>
        <translation> replaced
</translation>
    </message>
    <message>
        <source>（没有改动）</source>
        <translation>(no change)</translation>
    </message>
    <message>
        <source>当前
</source>
        <translation>Current
</translation>
    </message>
    <message>
        <source>恢复此版本</source>
        <translation>Restore this version</translation>
    </message>
    <message>
        <source>当前保存的内容</source>
        <translation>The current saved text</translation>
    </message>
    <message>
        <source>所选版本（-）改为当前内容（+）：</source>
        <translation>The chosen version (-) changed into the current text (+):</translation>
    </message>
    <message>
        <source>内容太长，不逐行比较：左为所选版本，右为当前内容</source>
        <translation>Too long to compare line by line: the chosen version left, the current text right</translation>
    </message>
    <message>
        <source>确&#x3000;定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>否</source>
        <translation>No</translation>
    </message>
    <message>
        <source>是</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>..温馨提示..</source>
        <translation>..Notice..</translation>
    </message>
    <message>
        <source>新增或修改内容</source>
        <translation>Add or edit a note</translation>
    </message>
    <message>
        <source>标 题：</source>
        <translation>Title: </translation>
    </message>
    <message>
        <source>内 容：</source>
        <translation>Text: </translation>
    </message>
    <message>
        <source>时 间：</source>
        <translation>Time: </translation>
    </message>
    <message>
        <source>加入特殊文字或符号</source>
        <translation>Emoticons, styles</translation>
    </message>
    <message>
        <source>黑粗</source>
        <translation>Bold</translation>
    </message>
    <message>
        <source>大黑粗</source>
        <translation>Big bold</translation>
    </message>
    <message>
        <source>红粗</source>
        <translation>Red</translation>
    </message>
    <message>
        <source>大红粗</source>
        <translation>Big red</translation>
    </message>
    <message>
        <source>链接</source>
        <translation>Link</translation>
    </message>
    <message>
        <source>历史版本…</source>
        <translation>History...</translation>
    </message>
    <message>
        <source>查看并恢复这条记录以前保存的版本</source>
        <translation>See and restore the versions this record had before</translation>
    </message>
    <message>
        <source>这条记录还没有历史版本：修改并保存后，原来的内容会存在这里</source>
        <translation>This record has no history yet: after you change and save it, the old text is kept here</translation>
    </message>
    <message>
        <source>历史版本无法读取：</source>
        <translation>Cannot read the history: </translation>
    </message>
    <message>
        <source>Korvane 工作室出品 · 访问主页</source>
        <translation>Korvane Studio · Website</translation>
    </message>
    <message>
        <source>顶置</source>
        <translation>On top</translation>
    </message>
    <message>
        <source>保持在最上方显示,始终显示在最上层</source>
        <translation>Keep the window above all others</translation>
    </message>
    <message>
        <source>开机启动</source>
        <translation>Start at logon</translation>
    </message>
    <message>
        <source>自动精简显示</source>
        <translation>Auto compact</translation>
    </message>
    <message>
        <source>Ctrl+Q 显示面板</source>
        <translation>Ctrl+Q shows</translation>
    </message>
    <message>
        <source>导出…</source>
        <translation>Export...</translation>
    </message>
    <message>
        <source>把记事导出为 Markdown 文件和网页，联系人导出为 vCard</source>
        <translation>Export notes as Markdown files and a web page, contacts as vCard</translation>
    </message>
    <message>
        <source>导入…</source>
        <translation>Import...</translation>
    </message>
    <message>
        <source>从 vCard、Markdown、文本、Gnote 和 Evernote 文件导入</source>
        <translation>Import from vCard, Markdown, text, Gnote and Evernote files</translation>
    </message>
    <message>
        <source>同步…</source>
        <translation>Sync...</translation>
    </message>
    <message>
        <source>与自己的 CalDAV/CardDAV 服务器同步记事和联系人</source>
        <translation>Sync notes and contacts with your own CalDAV/CardDAV server</translation>
    </message>
    <message>
        <source>
（点击打开“同步…”）</source>
        <translation>
(click to open &quot;Sync...&quot;)</translation>
    </message>
    <message>
        <source>无法打开网页浏览器：%1</source>
        <translation>Cannot open the web browser: %1</translation>
    </message>
    <message>
        <source>此桌面不提供全局快捷键，Ctrl+Q 无法使用（Wayland 桌面需要提供全局快捷键门户 GlobalShortcuts）</source>
        <translation>This desktop offers no global shortcuts, so Ctrl+Q cannot work (a Wayland desktop needs the GlobalShortcuts portal)</translation>
    </message>
    <message>
        <source> -&gt; 双击此处恢复标准窗口</source>
        <translation> -&gt; Double-click here for the standard window</translation>
    </message>
    <message>
        <source>导出到哪个文件夹？（将在其中新建一个文件夹）</source>
        <translation>Export to which folder? (A new folder is made in it)</translation>
    </message>
    <message>
        <source>选择要导入的文件</source>
        <translation>Choose the files to import</translation>
    </message>
    <message>
        <source>记事和联系人 (*.vcf *.vcard *.md *.markdown *.txt *.text *.note *.enex);;联系人 vCard (*.vcf *.vcard);;记事 (*.md *.markdown *.txt *.text *.note *.enex);;所有文件 (*)</source>
        <translation>Notes and contacts (*.vcf *.vcard *.md *.markdown *.txt *.text *.note *.enex);;Contacts vCard (*.vcf *.vcard);;Notes (*.md *.markdown *.txt *.text *.note *.enex);;All files (*)</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>温馨提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>打开文件夹</source>
        <translation>Open folder</translation>
    </message>
    <message>
        <source>正在导出记事和联系人…</source>
        <translation>Exporting notes and contacts...</translation>
    </message>
    <message>
        <source>正在导入…</source>
        <translation>Importing...</translation>
    </message>
    <message>
        <source>安装不完整，请重新下载安装</source>
        <translation>The installation is incomplete. Please download and install again</translation>
    </message>
    <message>
        <source>您的文件可能已被破坏，请重新安装</source>
        <translation>Your files may be damaged. Please install again</translation>
    </message>
    <message>
        <source>找不到记事本 </source>
        <translation>Notebook not found: </translation>
    </message>
    <message>
        <source>，已新建了一个空记事本。</source>
        <translation>; a new empty notebook was made.</translation>
    </message>
    <message>
        <source>上次写回或恢复记事本时程序被中断，未完成的副本已另存，没有删除。记事本 </source>
        <translation>The program was interrupted while it wrote back or restored the notebook; the unfinished copy was kept aside, not deleted. Notebook </translation>
    </message>
    <message>
        <source> 现有 </source>
        <translation> now holds </translation>
    </message>
    <message>
        <source> 条记录。</source>
        <translation> records.</translation>
    </message>
    <message>
        <source> 中没有任何记录。</source>
        <translation> holds no records.</translation>
    </message>
    <message>
        <source>备份</source>
        <translation>backup</translation>
    </message>
    <message>
        <source>另存的文件</source>
        <translation>file kept aside</translation>
    </message>
    <message>
        <source>是否从 </source>
        <translation>Restore from the </translation>
    </message>
    <message>
        <source> 条记录的</source>
        <translation>-record </translation>
    </message>
    <message>
        <source>页面多次意外关闭，请重新打开窗口</source>
        <translation>The page closed unexpectedly several times. Please open the window again</translation>
    </message>
    <message>
        <source>记事本</source>
        <translation>Notes</translation>
    </message>
    <message>
        <source>最近 30 天删除的记事和联系人</source>
        <translation>Notes and contacts deleted in the last 30 days</translation>
    </message>
    <message>
        <source>在线更新</source>
        <translation>Update</translation>
    </message>
    <message>
        <source>关闭程序并运行更新程序</source>
        <translation>Close the program and run the updater</translation>
    </message>
    <message>
        <source>再次点击确认更新</source>
        <translation>Click again to update</translation>
    </message>
    <message>
        <source>恢复标准窗口</source>
        <translation>Standard window</translation>
    </message>
    <message>
        <source>查找记事和联系人</source>
        <translation>Find notes and contacts</translation>
    </message>
    <message>
        <source>查找记事和联系人 (Ctrl+F)</source>
        <translation>Find notes and contacts (Ctrl+F)</translation>
    </message>
    <message>
        <source>查找回收站</source>
        <translation>Find in the trash</translation>
    </message>
    <message>
        <source>正在载入…</source>
        <translation>Loading…</translation>
    </message>
    <message>
        <source>已删除</source>
        <translation>Deleted</translation>
    </message>
    <message>
        <source>撤销</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>展开全文</source>
        <translation>Show all</translation>
    </message>
    <message>
        <source>收起</source>
        <translation>Show less</translation>
    </message>
    <message>
        <source>编辑</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>同步</source>
        <translation>Sync</translation>
    </message>
    <message>
        <source>服务器地址</source>
        <translation>Server</translation>
    </message>
    <message>
        <source>自己的 CalDAV/CardDAV 服务器的地址</source>
        <translation>The address of your own CalDAV/CardDAV server</translation>
    </message>
    <message>
        <source>用户名</source>
        <translation>User name</translation>
    </message>
    <message>
        <source>密码</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>密码保存在桌面的密钥环里，不写入任何文件</source>
        <translation>The password is kept in the desktop&apos;s keyring, never in a file</translation>
    </message>
    <message>
        <source>允许不加密的连接（http）</source>
        <translation>Allow unencrypted connections (http)</translation>
    </message>
    <message>
        <source>警告：不加密时，密码、记事和联系人以明文经过网络，只应在可信的局域网里使用。</source>
        <translation>Warning: without encryption the password, notes and contacts cross the network as plain text; use it only in a trusted local network.</translation>
    </message>
    <message>
        <source>密码保存在桌面的密钥环里，不写入任何文件。</source>
        <translation>The password is kept in the desktop&apos;s keyring, never in a file.</translation>
    </message>
    <message>
        <source>立即同步</source>
        <translation>Sync now</translation>
    </message>
    <message>
        <source>保&#x3000;存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>取&#x3000;消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>正在同步…</source>
        <translation>Syncing...</translation>
    </message>
    <message>
        <source>上次同步（</source>
        <translation>Last sync (</translation>
    </message>
    <message>
        <source>）：</source>
        <translation>): </translation>
    </message>
    <message>
        <source>尚未同步。</source>
        <translation>Not synced yet.</translation>
    </message>
    <message>
        <source>无法写入设置文件 %1：服务器地址和用户名没有保存。</source>
        <translation>Cannot write the settings file %1: the server address and user name were not saved.</translation>
    </message>
    <message>
        <source>
正在同步…</source>
        <translation>
Syncing...</translation>
    </message>
    <message>
        <source>在服务器上新建 “Korvane 记事” 和 “Korvane 联系人”？</source>
        <translation>Make &quot;Korvane 记事&quot; and &quot;Korvane 联系人&quot; on the server?</translation>
    </message>
    <message>
        <source>这次同步要在本机删除 </source>
        <translation>This sync would delete </translation>
    </message>
    <message>
        <source>已同步 </source>
        <translation>Synced </translation>
    </message>
    <message>
        <source>没有保存同步密码：请在“同步…”里输入密码并保存。</source>
        <translation>No sync password saved: enter the password in &quot;Sync...&quot; and save it.</translation>
    </message>
    <message>
        <source>同步没有开始：上一次同步还没有结束。</source>
        <translation>The sync did not start: the last one has not finished.</translation>
    </message>
    <message>
        <source>标准窗口</source>
        <translation>Standard window</translation>
    </message>
    <message>
        <source>精简窗口</source>
        <translation>Compact window</translation>
    </message>
    <message>
        <source>显示窗口</source>
        <translation>Show window</translation>
    </message>
    <message>
        <source>隐藏窗口</source>
        <translation>Hide window</translation>
    </message>
    <message>
        <source>退&#x3000;&#x3000;出</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>用法：
  korvane                              启动 Korvane
  korvane --export 文件夹 [--vcard4]   把记事和联系人导出到文件夹
                                       （记事为 Markdown 和网页，联系人为 vCard 3.0，
                                        加 --vcard4 写 vCard 4.0）
  korvane --import 文件或文件夹...     导入 .vcf、.md、.txt、.note 和 .enex 文件
  korvane --sync [--password-file 文件] [--confirm-deletes]
                                       用 sys.ini 里 [sync] 的帐户同步一次
                                       （密码文件只能由本用户读写；
                                        --confirm-deletes 允许一次删除很多记录）
</source>
        <translation>Usage:
  korvane                              start Korvane
  korvane --export FOLDER [--vcard4]   export notes and contacts to FOLDER
                                       (notes as Markdown and a web page, contacts as vCard 3.0,
                                        vCard 4.0 with --vcard4)
  korvane --import FILE-OR-FOLDER...   import .vcf, .md, .txt, .note and .enex files
  korvane --sync [--password-file FILE] [--confirm-deletes]
                                       sync once with the account in [sync] of sys.ini
                                       (only you may read and write the password file;
                                        --confirm-deletes allows deleting many records at once)
</translation>
    </message>
    <message>
        <source>Korvane 正在运行并使用这个记事本，没有导入。请用它的“导入…”菜单，或者先退出它再导入。</source>
        <translation>Korvane is running and using this notebook; nothing was imported. Use its &quot;Import...&quot; menu, or quit it first and import again.</translation>
    </message>
    <message>
        <source>正在运行的 Korvane 版本较旧，不能按要求同步，没有同步。请用它的“立即同步”，或者先退出它。</source>
        <translation>The running Korvane is an older version that cannot sync as asked; nothing was synced. Use its &quot;Sync now&quot;, or quit it first.</translation>
    </message>
    <message>
        <source>Korvane 正在运行并使用这个记事本，但没有回答同步的请求，不知道是否同步了。请看它窗口底部的同步状态。</source>
        <translation>Korvane is running and using this notebook but did not answer the sync request; it is not known whether it synced. See the sync state at the bottom of its window.</translation>
    </message>
    <message>
        <source>还没有设置同步帐户：sys.ini 的 [sync] 里没有 url 和 user。</source>
        <translation>No sync account set up yet: [sync] in sys.ini has no url and user.</translation>
    </message>
    <message>
        <source>请用 --password-file 给出密码文件。</source>
        <translation>Give the password file with --password-file.</translation>
    </message>
    <message>
        <source>Korvane 已在运行，正在使用同一个记事本：
%1

将显示正在运行的窗口。本次启动没有打开也没有改动记事本。</source>
        <translation>Korvane is already running and using the same notebook:
%1

Its window will be shown. This start neither opened nor changed the notebook.</translation>
    </message>
    <message>
        <source>您已经运行了，不必再次运行!</source>
        <translation>Korvane is already running; no need to start it again!</translation>
    </message>
    <message>
        <source>今天的备份未能写入：磁盘空间已满。</source>
        <translation>Today&apos;s backup could not be written: the disk is full.</translation>
    </message>
    <message>
        <source>请腾出空间；</source>
        <translation>Please free some space; </translation>
    </message>
    <message>
        <source>今天的备份未能写入：备份的位置已被一个文件夹或其他不是备份的文件占用。</source>
        <translation>Today&apos;s backup could not be written: its place is taken by a folder or another file that is no backup.</translation>
    </message>
    <message>
        <source>请将它移走；</source>
        <translation>Please move it away; </translation>
    </message>
    <message>
        <source>今天的备份未能写入：</source>
        <translation>Today&apos;s backup could not be written:</translation>
    </message>
    <message>
        <source>修改</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>新增记事</source>
        <translation>New note</translation>
    </message>
    <message>
        <source>新增联系人</source>
        <translation>New contact</translation>
    </message>
    <message>
        <source>恢复到列表</source>
        <translation>Back to the list</translation>
    </message>
    <message>
        <source>彻底删除，无法恢复</source>
        <translation>Delete for good; cannot be restored</translation>
    </message>
    <message>
        <source>恢复</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>彻底删除</source>
        <translation>Delete for good</translation>
    </message>
    <message>
        <source>清空回收站</source>
        <translation>Empty trash</translation>
    </message>
    <message>
        <source>修改为你要的文字</source>
        <translation>Change to your text</translation>
    </message>
    <message>
        <source>您的网址</source>
        <translation>your-address</translation>
    </message>
    <message>
        <source>修改为你的链接文字</source>
        <translation>Change to your link text</translation>
    </message>
    <message>
        <source>编辑框中有尚未保存的修改，恢复此版本将放弃这些修改（已保存的当前内容会存入历史版本）。</source>
        <translation>The editor has unsaved changes; restoring this version discards them (the current saved text is kept in the history).</translation>
    </message>
    <message>
        <source>是否恢复？</source>
        <translation>Restore it?</translation>
    </message>
    <message>
        <source>）恢复？</source>
        <translation>)?</translation>
    </message>
    <message>
        <source> 条记录（它们在服务器上已被删除）。是否删除？</source>
        <translation> records (they were deleted on the server). Delete them?</translation>
    </message>
    <message>
        <source>删除的记录会放进回收站，30 天内可以恢复。</source>
        <translation>Deletions go to the trash and can be restored for 30 days.</translation>
    </message>
    <message>
        <source>这个桌面没有可用的密钥服务（Secret Service）</source>
        <translation>this desktop has no key service (Secret Service)</translation>
    </message>
    <message>
        <source>密钥服务的访问被取消</source>
        <translation>access to the key service was cancelled</translation>
    </message>
    <message>
        <source>密钥服务拒绝访问</source>
        <translation>the key service refused access</translation>
    </message>
    <message>
        <source>密钥服务出错（%1）</source>
        <translation>the key service failed (%1)</translation>
    </message>
    <message>
        <source>无法%1：%2。位置：桌面密钥环，服务 %3，项 %4。</source>
        <translation>Cannot %1: %2. Where: the desktop keyring, service %3, item %4.</translation>
    </message>
    <message>
        <source>读取同步密码</source>
        <translation>read the sync password</translation>
    </message>
    <message>
        <source>保存同步密码</source>
        <translation>save the sync password</translation>
    </message>
    <message>
        <source>密码没有保存，也没有写到任何别的地方。</source>
        <translation>The password was not saved, nor written anywhere else.</translation>
    </message>
    <message>
        <source>删除旧帐户的同步密码</source>
        <translation>delete the old account&apos;s sync password</translation>
    </message>
    <message>
        <source>组件嵌套超过 </source>
        <translation>components nested deeper than </translation>
    </message>
    <message>
        <source> 层</source>
        <translation> levels</translation>
    </message>
    <message>
        <source> 没有对应的 BEGIN</source>
        <translation> has no matching BEGIN</translation>
    </message>
    <message>
        <source> 没有以 END 结束</source>
        <translation> is not closed by END</translation>
    </message>
    <message>
        <source>条目有 </source>
        <translation>the item has </translation>
    </message>
    <message>
        <source> 字节，超过上限 </source>
        <translation> bytes, over the limit of </translation>
    </message>
    <message>
        <source> 字节，没有读取</source>
        <translation> bytes; not read</translation>
    </message>
    <message>
        <source>笔记条目读不了：</source>
        <translation>cannot read the note item: </translation>
    </message>
    <message>
        <source>条目不是日历对象（没有 BEGIN:VCALENDAR）</source>
        <translation>the item is no calendar object (no BEGIN:VCALENDAR)</translation>
    </message>
    <message>
        <source>日历对象里没有 VJOURNAL（笔记），也许是日程或待办，没有读取</source>
        <translation>the calendar object holds no VJOURNAL (note), perhaps an event or a task; not read</translation>
    </message>
    <message>
        <source>名片条目读不了：</source>
        <translation>cannot read the card item: </translation>
    </message>
    <message>
        <source>条目不是名片（没有 BEGIN:VCARD），没有读取</source>
        <translation>the item is no card (no BEGIN:VCARD); not read</translation>
    </message>
    <message>
        <source>回答不是 multistatus 文档</source>
        <translation>the answer is no multistatus document</translation>
    </message>
    <message>
        <source>服务器的回答读不了：</source>
        <translation>cannot read the server&apos;s answer: </translation>
    </message>
    <message>
        <source>第 %1 张名片，第 %2 行：</source>
        <translation>card %1, line %2: </translation>
    </message>
    <message>
        <source>第 %1 行：</source>
        <translation>line %1: </translation>
    </message>
    <message>
        <source>BASE64 数据有误（</source>
        <translation>bad BASE64 data (</translation>
    </message>
    <message>
        <source>不认识的字符集 </source>
        <translation>unknown character set </translation>
    </message>
    <message>
        <source>属性超过 </source>
        <translation>more than </translation>
    </message>
    <message>
        <source> 个</source>
        <translation> properties</translation>
    </message>
    <message>
        <source>这一行不是“名称:值”的属性</source>
        <translation>this line is no &quot;name:value&quot; property</translation>
    </message>
    <message>
        <source>上一张名片没有 END:VCARD</source>
        <translation>the card before has no END:VCARD</translation>
    </message>
    <message>
        <source>文件大于 </source>
        <translation>the file is larger than </translation>
    </message>
    <message>
        <source> MB，没有读取</source>
        <translation> MB; not read</translation>
    </message>
    <message>
        <source>含有 NUL 字节（也许是 UTF-16 文件），没有读取</source>
        <translation>holds NUL bytes (perhaps a UTF-16 file); not read</translation>
    </message>
    <message>
        <source>一行展开后超过 </source>
        <translation>an unfolded line is longer than </translation>
    </message>
    <message>
        <source> 字节</source>
        <translation> bytes</translation>
    </message>
    <message>
        <source>名片没有以 END:VCARD 结束</source>
        <translation>the card does not end with END:VCARD</translation>
    </message>
    <message>
        <source>不是 Gnote 笔记：根元素是 </source>
        <translation>not a Gnote note: the root element is </translation>
    </message>
    <message>
        <source>，应为 &lt;note&gt;</source>
        <translation>, not &lt;note&gt;</translation>
    </message>
    <message>
        <source>不是 Gnote 笔记：&lt;note&gt; 里没有 &lt;text&gt;&lt;note-content&gt; 元素</source>
        <translation>not a Gnote note: &lt;note&gt; holds no &lt;text&gt;&lt;note-content&gt; element</translation>
    </message>
    <message>
        <source>不是 Evernote 导出文件：根元素是 </source>
        <translation>not an Evernote export: the root element is </translation>
    </message>
    <message>
        <source>，应为 &lt;en-export&gt;</source>
        <translation>, not &lt;en-export&gt;</translation>
    </message>
    <message>
        <source>第 %1 条笔记 %2 的内容不是有效的 XML（%3）</source>
        <translation>the text of note %1, %2, is no valid XML (%3)</translation>
    </message>
    <message>
        <source>《</source>
        <translation>&quot;</translation>
    </message>
    <message>
        <source>》</source>
        <translation>&quot;</translation>
    </message>
    <message>
        <source>第 %1 行第 %2 列：</source>
        <translation>line %1, column %2: </translation>
    </message>
    <message>
        <source>内存不足，无法读完文件</source>
        <translation>out of memory; the file could not be read to its end</translation>
    </message>
    <message>
        <source>XML 语法错误</source>
        <translation>XML syntax error</translation>
    </message>
    <message>
        <source>文件在根元素结束之前就结束了（文件不完整）</source>
        <translation>the file ends before its root element does (the file is incomplete)</translation>
    </message>
    <message>
        <source>不是合格的 XML：这里有无效的字符或标记（例如空字节、不是 UTF-8 的字节）</source>
        <translation>not well-formed XML: an invalid character or markup here (such as a NUL byte or bytes that are not UTF-8)</translation>
    </message>
    <message>
        <source>标记没有结束（文件不完整）</source>
        <translation>unclosed markup (the file is incomplete)</translation>
    </message>
    <message>
        <source>字符不完整（文件不完整，或不是声明的编码）</source>
        <translation>incomplete character (the file is incomplete, or not in its declared encoding)</translation>
    </message>
    <message>
        <source>结束标记与开始的元素不一致</source>
        <translation>the end tag does not match the element it closes</translation>
    </message>
    <message>
        <source>同一个属性写了两次</source>
        <translation>the same attribute is written twice</translation>
    </message>
    <message>
        <source>根元素结束后还有内容</source>
        <translation>content after the root element</translation>
    </message>
    <message>
        <source>引用了未声明的实体</source>
        <translation>reference to an undeclared entity</translation>
    </message>
    <message>
        <source>文件声明了实体，导入不会展开实体</source>
        <translation>the file declares entities; the import expands no entity</translation>
    </message>
    <message>
        <source>字符引用指向不允许的字符</source>
        <translation>a character reference to a character not allowed</translation>
    </message>
    <message>
        <source>引用了二进制实体</source>
        <translation>reference to a binary entity</translation>
    </message>
    <message>
        <source>属性里引用了外部实体</source>
        <translation>reference to an external entity in an attribute</translation>
    </message>
    <message>
        <source>XML 声明不在文件开头</source>
        <translation>the XML declaration is not at the start of the file</translation>
    </message>
    <message>
        <source>文件声明的字符编码不受支持（只读 UTF-8、UTF-16、ISO-8859-1 和 US-ASCII）</source>
        <translation>the file&apos;s declared encoding is not supported (only UTF-8, UTF-16, ISO-8859-1 and US-ASCII are read)</translation>
    </message>
    <message>
        <source>文件内容与声明的字符编码不符</source>
        <translation>the file&apos;s content does not match its declared encoding</translation>
    </message>
    <message>
        <source>CDATA 段没有结束（文件不完整）</source>
        <translation>unclosed CDATA section (the file is incomplete)</translation>
    </message>
    <message>
        <source>文件要求读取外部实体，导入不读取外部文件</source>
        <translation>the file asks to read an external entity; the import reads no external file</translation>
    </message>
    <message>
        <source>文件要求读取外部 DTD，导入不读取外部文件</source>
        <translation>the file asks to read an external DTD; the import reads no external file</translation>
    </message>
    <message>
        <source>元素或属性的前缀没有声明</source>
        <translation>an element&apos;s or attribute&apos;s prefix is not declared</translation>
    </message>
    <message>
        <source>XML 声明写错了</source>
        <translation>malformed XML declaration</translation>
    </message>
    <message>
        <source>文本声明写错了</source>
        <translation>malformed text declaration</translation>
    </message>
    <message>
        <source>公共标识符里有不允许的字符</source>
        <translation>a character not allowed in a public identifier</translation>
    </message>
    <message>
        <source>XML 读取器收到无效的参数</source>
        <translation>the XML reader got an invalid argument</translation>
    </message>
    <message>
        <source>不是合格的 XML（</source>
        <translation>not well-formed XML (</translation>
    </message>
    <message>
        <source>元素嵌套超过 </source>
        <translation>elements nested deeper than </translation>
    </message>
    <message>
        <source> 层，不是能导入的笔记文件</source>
        <translation> levels; not a note file the import reads</translation>
    </message>
    <message>
        <source>文件声明了实体 </source>
        <translation>the file declares the entity </translation>
    </message>
    <message>
        <source>，导入不会展开实体，也不读取外部文件</source>
        <translation>; the import expands no entity and reads no external file</translation>
    </message>
    <message>
        <source>引用了未声明的实体 </source>
        <translation>reference to the undeclared entity </translation>
    </message>
    <message>
        <source>，导入不读取外部文件</source>
        <translation>; the import reads no external file</translation>
    </message>
    <message>
        <source>文件有 </source>
        <translation>the file has </translation>
    </message>
    <message>
        <source> 字节，超过导入上限 </source>
        <translation> bytes, over the import&apos;s limit of </translation>
    </message>
    <message>
        <source>文件是空的，没有 XML 内容</source>
        <translation>the file is empty, no XML content</translation>
    </message>
    <message>
        <source>记事</source>
        <comment>a record&apos;s kind</comment>
        <translation>Note</translation>
    </message>
    <message>
        <source>联系人</source>
        <comment>a record&apos;s kind</comment>
        <translation>Contact</translation>
    </message>
    <message>
        <source>联系人</source>
        <comment>a contact&apos;s name field</comment>
        <translation>Name</translation>
    </message>
    <message>
        <source>找到 %1 项</source>
        <translation>Found: %1</translation>
    </message>
    <message>
        <source>此条共 %1 处</source>
        <translation>Matches here: %1</translation>
    </message>
    <message>
        <source>回收站中找到 %1 项</source>
        <translation>Found in the trash: %1</translation>
    </message>
    <message>
        <source>共%1项</source>
        <translation>Total: %1</translation>
    </message>
    <message>
        <source>回收站 共%1项</source>
        <translation>In the trash: %1</translation>
    </message>
    <message>
        <source>保存时记下的时间</source>
        <translation>The time noted at the save</translation>
    </message>
    <message>
        <source>打开表情和格式的选板</source>
        <translation>Opens the palette of emoticons and formatting</translation>
    </message>
    <message>
        <source>表情和格式</source>
        <translation>Emoticons and formatting</translation>
    </message>
    <message>
        <source>表情 %1</source>
        <translation>Emoticon %1</translation>
    </message>
    <message>
        <source>插入到内容</source>
        <translation>Inserts it into the text</translation>
    </message>
    <message>
        <source>表情</source>
        <translation>Emoticon</translation>
    </message>
    <message>
        <source>插入 QQ、MSN、Skype 或阿里旺旺帐号</source>
        <translation>Inserts a QQ, MSN, Skype or AliWangWang id</translation>
    </message>
    <message>
        <source>聊天工具</source>
        <translation>Messenger</translation>
    </message>
    <message>
        <source>帐号</source>
        <translation>Id</translation>
    </message>
    <message>
        <source>消息</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>版本</source>
        <translation>Versions</translation>
    </message>
    <message>
        <source>改动</source>
        <translation>Changes</translation>
    </message>
    <message>
        <source>所选版本</source>
        <translation>Chosen version</translation>
    </message>
    <message>
        <source>当前内容</source>
        <translation>Current text</translation>
    </message>
    <message>
        <source>记事列表</source>
        <translation>Notes list</translation>
    </message>
    <message>
        <source>联系人列表</source>
        <translation>Contacts list</translation>
    </message>
    <message>
        <source>查找结果</source>
        <translation>Search results</translation>
    </message>
    <message>
        <source>无标题</source>
        <translation>Untitled</translation>
    </message>
    <message>
        <source>把窗口隐藏到通知区域</source>
        <translation>Hides the window to the notification area</translation>
    </message>
    <message>
        <source>关闭窗口，结束程序</source>
        <translation>Closes the window and ends the program</translation>
    </message>
    <message>
        <source>选项</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>登录桌面时启动 Korvane</source>
        <translation>Starts Korvane when you log on</translation>
    </message>
    <message>
        <source>窗口失去焦点时缩成精简的一条</source>
        <translation>Shrinks the window to a compact strip when it loses focus</translation>
    </message>
    <message>
        <source>在任何程序中按 Ctrl+Q 显示这个窗口</source>
        <translation>Ctrl+Q in any program shows this window</translation>
    </message>
    <message>
        <source>双击恢复标准窗口</source>
        <translation>Double-click for the standard window</translation>
    </message>
    <message>
        <source>记事和联系人</source>
        <translation>Notes and contacts</translation>
    </message>
</context>
</TS>
