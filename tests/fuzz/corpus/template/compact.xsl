<?xml version="1.0" encoding="UTF-8"?>
<!-- A compact details page for small panels: a one-line heading, every field in a dense two-column
     list beside a small cover, the contents as a numbered list and the loan in one line. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:import href="Include/detailparts.xsl"/>
  <xsl:output method="html" encoding="UTF-8"/>

  <xsl:param name="pagewidth" select="600"/>
  <xsl:param name="pageheight" select="400"/>

  <xsl:template match="/">
    <html>
      <head>
        <style type="text/css">
          body { font-family: sans-serif; font-size: 8pt; color: #222222; }
          .title { font-size: 10pt; font-weight: bold; }
          .label { color: #777777; padding-right: 8px; }
          .dim { color: #888888; }
          .stars { color: #c08a00; }
          .loan { background-color: #fff3cc; }
          .overdue { background-color: #ffd9d4; color: #8a1c10; }
          .heading { font-weight: bold; margin-top: 6px; margin-bottom: 1px; }
          .text { margin-top: 0px; margin-bottom: 2px; }
          .contents { }
          .head { color: #555555; }
          .even { background-color: #f4f4f4; }
        </style>
      </head>
      <body>
        <xsl:apply-templates select="bookinfo/booklist/book"/>
      </body>
    </html>
  </xsl:template>

  <xsl:template match="book">
    <xsl:variable name="main" select="mainsection"/>
    <p style="margin-top: 0px; margin-bottom: 3px;">
      <span class="title"><xsl:value-of select="$main/title"/></span>
      <xsl:if test="$main/subtitle"><span class="dim"> &#8211; <xsl:value-of select="$main/subtitle"/></span></xsl:if>
      <xsl:if test="$main/myrating"><xsl:text>  </xsl:text><xsl:call-template name="stars">
        <xsl:with-param name="rating" select="$main/myrating"/></xsl:call-template></xsl:if>
    </p>
    <xsl:if test="$main/series">
      <p class="dim" style="margin-top: 0px; margin-bottom: 3px;"><xsl:call-template name="series-text">
        <xsl:with-param name="book" select="."/></xsl:call-template></p>
    </xsl:if>
    <xsl:call-template name="loan-box"><xsl:with-param name="book" select="."/></xsl:call-template>
    <table width="99%" cellspacing="0" cellpadding="0">
      <tr>
        <td valign="top">
          <table cellspacing="0" cellpadding="0">
            <xsl:call-template name="credit-rows"><xsl:with-param name="credits" select="$main/credits"/></xsl:call-template>
            <xsl:call-template name="edition-rows"><xsl:with-param name="book" select="."/></xsl:call-template>
            <xsl:call-template name="copy-rows"><xsl:with-param name="book" select="."/></xsl:call-template>
            <xsl:call-template name="original-rows"><xsl:with-param name="book" select="."/></xsl:call-template>
            <xsl:call-template name="url-row"><xsl:with-param name="book" select="."/></xsl:call-template>
          </table>
        </td>
        <xsl:if test="coverfront or coverback">
          <td valign="top" align="right" width="84">
            <xsl:if test="coverfront"><img src="{coverfront}" width="80"/></xsl:if>
            <xsl:if test="coverback"><br/><img src="{coverback}" width="80"/></xsl:if>
          </td>
        </xsl:if>
      </tr>
    </table>
    <xsl:call-template name="text-block"><xsl:with-param name="name" select="'Plot'"/>
      <xsl:with-param name="text" select="$main/plot"/></xsl:call-template>
    <xsl:call-template name="text-block"><xsl:with-param name="name" select="'Notes'"/>
      <xsl:with-param name="text" select="$main/notes"/></xsl:call-template>
    <xsl:call-template name="text-block"><xsl:with-param name="name" select="'Dedication'"/>
      <xsl:with-param name="text" select="dedication"/></xsl:call-template>
    <xsl:if test="sections/section">
      <p class="heading">Contents</p>
      <xsl:for-each select="sections/section">
        <p class="text">
          <span class="dim"><xsl:value-of select="position()"/>. </span>
          <xsl:value-of select="title"/>
          <xsl:if test="credits/credit">
            <span class="dim"> &#8211; <xsl:call-template name="credit-line">
              <xsl:with-param name="credits" select="credits"/></xsl:call-template></span>
          </xsl:if>
          <xsl:if test="startpage"><span class="dim"> (p. <xsl:value-of select="startpage"/>)</span></xsl:if>
        </p>
      </xsl:for-each>
    </xsl:if>
  </xsl:template>
</xsl:stylesheet>
